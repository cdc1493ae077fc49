#include "ssh/agent_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ssh/agentmsg.h"
#include "ssh/crypto/hash_util.h"

namespace vorto::ssh {

namespace {

constexpr char kAgentWindow[] = "Pageant";  // both class and title
// Marks a WM_COPYDATA as an agent request.
constexpr ULONG_PTR kAgentCopyDataId = 0x804e50ba;

unsigned gReplyTimeoutMs = kAgentReplyTimeoutMs;

// A security descriptor naming the current user as owner. The agent trusts
// a request only from a mapping owned by its own user, and some systems give
// a mapping made without a descriptor no owner at all. The access list stays
// the user's default.
struct OwnerSecurity {
    SECURITY_ATTRIBUTES attributes;
    SECURITY_DESCRIPTOR descriptor;
    union {
        TOKEN_USER user;
        BYTE room[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } token;
};

bool MakeOwnerSecurity(OwnerSecurity& s) {
    HANDLE process_token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process_token)) return false;
    DWORD size = 0;
    BOOL have_user = GetTokenInformation(process_token, TokenUser, &s.token, sizeof s.token, &size);
    CloseHandle(process_token);
    if (!have_user || !InitializeSecurityDescriptor(&s.descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&s.descriptor, s.token.user.User.Sid, FALSE))
        return false;
    s.attributes.nLength = sizeof s.attributes;
    s.attributes.lpSecurityDescriptor = &s.descriptor;
    s.attributes.bInheritHandle = FALSE;
    return true;
}

}  // namespace

bool AgentPresent() {
    return FindWindowA(kAgentWindow, kAgentWindow) != nullptr;
}

void AgentSetReplyTimeoutForTests(unsigned timeout_ms) {
    gReplyTimeoutMs = timeout_ms ? timeout_ms : kAgentReplyTimeoutMs;
}

bool AgentQuery(std::span<const uint8_t> request, SecretBytes& reply) {
    crypto::Wipe(reply.bytes.data(), reply.bytes.size());
    reply.bytes.clear();
    HWND agent = FindWindowA(kAgentWindow, kAgentWindow);
    if (!agent || request.size() > kAgentMaxMessage) return false;

    // The thread id keeps two threads of this process from sharing a mapping.
    char name[32];
    std::snprintf(name, sizeof name, "PageantRequest%08x", unsigned(GetCurrentThreadId()));
    OwnerSecurity security;
    if (!MakeOwnerSecurity(security)) return false;
    SetLastError(ERROR_SUCCESS);
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, &security.attributes, PAGE_READWRITE, 0, kAgentMaxMessage, name);
    if (!mapping) return false;
    // A mapping of that name made by someone else may be smaller than ours
    // and may be read by its maker: never write a request into it.
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mapping);
        return false;
    }
    auto* shared = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kAgentMaxMessage));
    if (!shared) {
        CloseHandle(mapping);
        return false;
    }

    std::memcpy(shared, request.data(), request.size());
    COPYDATASTRUCT copy = {kAgentCopyDataId, DWORD(std::strlen(name) + 1), name};
    // A hung agent must not hold the worker: past the bound, or once the
    // system sees its window as hung, the query ends without a reply.
    DWORD_PTR answered = 0;
    LRESULT sent = SendMessageTimeoutA(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                                       gReplyTimeoutMs, &answered);
    if (sent && LRESULT(answered) > 0) {
        // The length word is read once: the agent could still change it.
        uint64_t length = uint64_t(crypto::LoadBe32(shared)) + 4;
        if (length <= kAgentMaxMessage) reply.bytes.assign(shared, shared + length);
    }

    // Requests and replies may hold challenges and signatures.
    SecureZeroMemory(shared, kAgentMaxMessage);
    UnmapViewOfFile(shared);
    CloseHandle(mapping);
    return !reply.bytes.empty();
}

}  // namespace vorto::ssh
