# Source sets of the deliverables. Each component folder's .cpp files belong
# to the deliverable that holds the folder.
file(GLOB_RECURSE VORNHAL_ENGINE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/engine/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/os/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/net/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/gl/*.cpp)
# The client's dialogs over wxWidgets are a library of their own (UiWx),
# which the engine never links.
list(FILTER VORNHAL_ENGINE_SOURCES EXCLUDE REGEX "/platform/ui/wx/")
