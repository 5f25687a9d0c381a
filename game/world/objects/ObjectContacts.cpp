#include "game/world/objects/ObjectContacts.h"

namespace {
IPlayerContacts* g_contacts = nullptr;
IObjectOutput* g_output = nullptr;
} // namespace

void SetPlayerContacts(IPlayerContacts* contacts) { g_contacts = contacts; }
IPlayerContacts* PlayerContacts() { return g_contacts; }
void SetObjectOutput(IObjectOutput* output) { g_output = output; }
IObjectOutput* ObjectOutput() { return g_output; }
