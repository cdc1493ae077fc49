// A stand-in for the Pageant agent, started by the agent client's tests: a
// hidden window of class and title "Pageant" that answers WM_COPYDATA
// requests through the named mapping, with the keys of the files named on
// its command line.
//
//   testagent.exe [--parent PID] [--reply-length N] [--keep-mapping] [--hang] keyfile...
//
// --parent PID      end when that process ends, so that a test that crashes
//                   leaves no agent behind for the tests after it.
// --reply-length N  answer every request with the length word N and a
//                   failure byte, whatever N is, to test the client's checks.
// --keep-mapping    hold the last request's mapping open after answering;
//                   kMappingCleanMessage then tells whether the client wiped
//                   it and lets it go.
// --hang            take every request and never answer it (until the
//                   parent ends, or a minute at most), like a hung agent.
//
// Keys: SSH-2 files in our own text format and SSH-1 files, unencrypted.
// Requests it answers: SSH-2 identities and signatures, SSH-1 identities
// and challenges; anything else gets a failure.
#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ssh/agentmsg.h"
#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/md5.h"
#include "ssh/crypto/wire.h"
#include "ssh/keyfile.h"
#include "tests/support/testagent_win.h"

using namespace vorto;
using namespace vorto::ssh;

namespace {

// Stated here apart from the client, as the outside agent has it, so that a
// wrong value in the client fails the tests.
constexpr ULONG_PTR kAgentCopyDataId = 0x804e50ba;

struct TestAgent {
  std::vector<Ssh2Key> ssh2_keys;
  std::vector<Ssh1Key> ssh1_keys;
  bool forge_length = false;
  uint32_t forged_length = 0;
  bool keep_mapping = false;
  HANDLE kept_mapping = nullptr;
  bool hang = false;
  HANDLE parent = nullptr;
};
TestAgent gAgent;

using Bytes = std::vector<uint8_t>;

// Finishes a message whose body follows a placeholder length word.
Bytes Finish(Bytes message) {
  crypto::StoreBe32(message.data(), uint32_t(message.size() - 4));
  return message;
}

Bytes Start(uint8_t type) {
  return Bytes{0, 0, 0, 0, type};
}

Bytes Failure() {
  return Finish(Start(kAgentFailure));
}

Bytes Ssh2Identities() {
  Bytes out = Start(kAgentIdentitiesAnswer);
  crypto::WirePutU32(out, uint32_t(gAgent.ssh2_keys.size()));
  for (const Ssh2Key& key : gAgent.ssh2_keys) {
    crypto::WirePutString(out, key.algorithm->public_blob(key.key));
    crypto::WirePutString(out, key.comment);
  }
  return Finish(out);
}

Bytes Ssh2Sign(crypto::WireReader& body) {
  std::span<const uint8_t> blob, data;
  uint32_t flags;
  if (!crypto::WireGetString(body, blob) || !crypto::WireGetString(body, data) || !crypto::WireGetU32(body, flags))
    return Failure();
  for (const Ssh2Key& key : gAgent.ssh2_keys) {
    Bytes own = key.algorithm->public_blob(key.key);
    if (!std::equal(own.begin(), own.end(), blob.begin(), blob.end())) continue;
    Bytes signature;
    if (!key.algorithm->sign(key.key, data, 0, signature)) return Failure();
    Bytes out = Start(kAgentSignResponse);
    crypto::WirePutString(out, signature);
    return Finish(out);
  }
  return Failure();
}

Bytes Ssh1Identities() {
  Bytes out = Start(kAgentRsaIdentitiesAnswer);
  crypto::WirePutU32(out, uint32_t(gAgent.ssh1_keys.size()));
  for (const Ssh1Key& key : gAgent.ssh1_keys) {
    crypto::WirePutU32(out, crypto::BnBitCount(key.key.modulus));
    crypto::BnPutSsh1(out, key.key.exponent);
    crypto::BnPutSsh1(out, key.key.modulus);
    crypto::WirePutString(out, key.comment);
  }
  return Finish(out);
}

// Decrypts the challenge and answers MD5(secret, session id).
Bytes Ssh1Challenge(crypto::WireReader& body) {
  uint32_t bits, response_type;
  crypto::Bignum exponent, modulus, challenge;
  std::span<const uint8_t> session_id;
  if (!crypto::WireGetU32(body, bits) || !crypto::WireGetSsh1Bignum(body, exponent) ||
      !crypto::WireGetSsh1Bignum(body, modulus) || !crypto::WireGetSsh1Bignum(body, challenge) ||
      body.left < kSsh1SessionIdLength)
    return Failure();
  session_id = {body.data, kSsh1SessionIdLength};
  body.data += kSsh1SessionIdLength;
  body.left -= kSsh1SessionIdLength;
  if (!crypto::WireGetU32(body, response_type) || response_type != kSsh1ResponseTypeMd5) return Failure();
  for (const Ssh1Key& key : gAgent.ssh1_keys) {
    if (crypto::BnCompare(key.key.exponent, exponent) != 0 || crypto::BnCompare(key.key.modulus, modulus) != 0)
      continue;
    crypto::Bignum plain;
    Bytes secret;
    if (!crypto::RsaPrivateOp(key.key, challenge, plain) || !crypto::BnToBytes(plain, kSsh1ChallengeLength, secret))
      return Failure();
    crypto::Md5 md5;
    crypto::Md5Start(md5);
    crypto::Md5Add(md5, secret.data(), secret.size());
    crypto::Md5Add(md5, session_id.data(), session_id.size());
    Bytes out = Start(kAgentRsaResponse);
    out.resize(5 + kSsh1ResponseLength);
    crypto::Md5Finish(md5, out.data() + 5);
    return Finish(out);
  }
  return Failure();
}

Bytes Answer(std::span<const uint8_t> request) {
  int type = AgentMessageType(request);
  if (type < 0) return Failure();
  crypto::WireReader body = crypto::WireReaderOf(request.subspan(5, crypto::LoadBe32(request.data()) - 1));
  switch (type) {
    case kAgentRequestIdentities: return Ssh2Identities();
    case kAgentSignRequest: return Ssh2Sign(body);
    case kAgentRequestRsaIdentities: return Ssh1Identities();
    case kAgentRsaChallenge: return Ssh1Challenge(body);
    default: return Failure();
  }
}

// Like a real agent, trusts only a mapping owned by its own user.
bool OwnedByUs(HANDLE mapping) {
  ProcessUser us;
  if (!ReadProcessUser(us)) return false;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(mapping, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS)
    return false;
  bool ours = owner && EqualSid(owner, us.Sid());
  LocalFree(descriptor);
  return ours;
}

LRESULT AnswerCopyData(const COPYDATASTRUCT* copy) {
  if (gAgent.hang) {
    if (gAgent.parent)
      WaitForSingleObject(gAgent.parent, 60000);
    else
      Sleep(60000);
    return 0;
  }
  if (copy->dwData != kAgentCopyDataId || copy->cbData == 0 || copy->cbData > 64) return 0;
  const char* name = static_cast<const char*>(copy->lpData);
  if (name[copy->cbData - 1] != '\0') return 0;
  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
  if (!mapping) return 0;
  auto* shared = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  MEMORY_BASIC_INFORMATION region = {};
  LRESULT result = 0;
  if (shared && OwnedByUs(mapping) && VirtualQuery(shared, &region, sizeof region) &&
      region.RegionSize >= kAgentMaxMessage) {
    uint32_t length = crypto::LoadBe32(shared);
    Bytes reply = length <= kAgentMaxMessage - 4 ? Answer({shared, length + 4}) : Failure();
    if (reply.size() > kAgentMaxMessage) reply = Failure();
    if (gAgent.forge_length) crypto::StoreBe32(reply.data(), gAgent.forged_length);
    std::memcpy(shared, reply.data(), reply.size());
    result = 1;
  }
  if (shared) UnmapViewOfFile(shared);
  if (result && gAgent.keep_mapping) {
    if (gAgent.kept_mapping) CloseHandle(gAgent.kept_mapping);
    gAgent.kept_mapping = mapping;
  } else {
    CloseHandle(mapping);
  }
  return result;
}

// 1 when the kept mapping is all zeros, 0 when not, -1 when none is kept.
LRESULT KeptMappingClean() {
  if (!gAgent.kept_mapping) return -1;
  LRESULT clean = -1;
  if (auto* shared = static_cast<const uint8_t*>(MapViewOfFile(gAgent.kept_mapping, FILE_MAP_READ, 0, 0, 0))) {
    clean = 1;
    for (size_t i = 0; i < kAgentMaxMessage; ++i)
      if (shared[i]) clean = 0;
    UnmapViewOfFile(shared);
  }
  CloseHandle(gAgent.kept_mapping);
  gAgent.kept_mapping = nullptr;
  return clean;
}

LRESULT CALLBACK AgentWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: return AnswerCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kMappingCleanMessage: return KeptMappingClean();
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool LoadKey(const char* path) {
  KeyLoadResult result;
  switch (IdentifyKeyFile(path)) {
    case kKeyFileSsh2: {
      Ssh2Key key;
      result = LoadSsh2KeyFile(path, nullptr, key);
      if (result.status == kKeyLoaded) gAgent.ssh2_keys.push_back(std::move(key));
      break;
    }
    case kKeyFileSsh1: {
      Ssh1Key key;
      result = LoadSsh1KeyFile(path, nullptr, key);
      if (result.status == kKeyLoaded) gAgent.ssh1_keys.push_back(std::move(key));
      break;
    }
    default: result.error = "not a key file this agent reads";
  }
  if (result.status != kKeyLoaded) std::fprintf(stderr, "testagent: %s: %s\n", path, result.error);
  return result.status == kKeyLoaded;
}

}  // namespace

int main(int argc, char** argv) {
  HANDLE parent = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--parent") == 0 && i + 1 < argc) {
      parent = OpenProcess(SYNCHRONIZE, FALSE, DWORD(std::strtoul(argv[++i], nullptr, 0)));
      if (!parent) return 2;
    } else if (std::strcmp(argv[i], "--reply-length") == 0 && i + 1 < argc) {
      gAgent.forge_length = true;
      gAgent.forged_length = uint32_t(std::strtoul(argv[++i], nullptr, 0));
    } else if (std::strcmp(argv[i], "--hang") == 0) {
      gAgent.hang = true;
    } else if (std::strcmp(argv[i], "--keep-mapping") == 0) {
      gAgent.keep_mapping = true;
    } else if (!LoadKey(argv[i])) {
      return 2;
    }
  }

  gAgent.parent = parent;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = AgentWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Pageant";
  if (!RegisterClassA(&wc)) return 3;
  // Hidden, but a top-level window, so that FindWindowA sees it.
  if (!CreateWindowA("Pageant", "Pageant", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr))
    return 3;
  // Sent messages are delivered while waiting; posted ones are dispatched here.
  DWORD watched = parent ? 1 : 0;
  for (;;) {
    if (MsgWaitForMultipleObjects(watched, &parent, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 && parent)
      return 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return 0;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}
