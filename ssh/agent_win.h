// The client side of the Pageant agent: a window of class and title
// "Pageant" that answers WM_COPYDATA requests passed through a named shared
// memory mapping. Requests and replies are whole agent messages (see
// ssh/agentmsg.h).
#pragma once

#include <cstdint>
#include <span>

#include "ssh/keyfile_io.h"

namespace vorto::ssh {

// Whether the agent's window exists.
bool AgentPresent();

// Sends one request and waits for the agent's answer. True with the reply
// (length word included) in `reply`; false, with `reply` empty, when there is
// no agent, the request does not fit the shared memory, the agent declines,
// or its reply would not fit the shared memory. Blocks the calling thread
// while the agent works, at most kAgentReplyTimeoutMs: an agent that hangs
// gives no reply, as an absent one does.
bool AgentQuery(std::span<const uint8_t> request, SecretBytes& reply);

constexpr unsigned kAgentReplyTimeoutMs = 10000;
// Tests shorten the wait; zero restores kAgentReplyTimeoutMs.
void AgentSetReplyTimeoutForTests(unsigned timeout_ms);

}  // namespace vorto::ssh
