#pragma once

#include <string>
#include <utility>
#include <vector>

// Which of the game servers at these addresses (dotted IPv4, UDP port)
// refuse datagrams: nothing listens at the port any more. Each gets one
// empty datagram, which a game server drops; a host without the port
// answers with a refusal, which is waited for at most waitMs. A host that
// answers nothing (a firewall, a slow link) counts as listening.
std::vector<bool> FindRefusingServers(const std::vector<std::pair<std::string, int>>& addresses, int waitMs);
