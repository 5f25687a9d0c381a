#pragma once

// What the dialogs show that is ours to choose: the service's registration
// page and the footer line.
namespace DialogSettings {

constexpr const char16_t* kRegisterPage = u"http://www.vornhal.net/component/user/?task=register";
constexpr const char16_t* kFooter = u"Vornhal: Finland against Russia";

} // namespace DialogSettings
