// The agent client against a stand-in agent in another process
// (testagent.exe, beside this program): key lists and signatures that go
// all the way through the shared mapping and WM_COPYDATA, and the replies
// the client must refuse.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "ssh/agent_win.h"
#include "ssh/agentmsg.h"
#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/hostkey.h"
#include "ssh/crypto/md5.h"
#include "ssh/crypto/rsa.h"
#include "ssh/keyfile.h"
#include "support/testagent_win.h"

using namespace vorto;
using namespace vorto::ssh;

namespace {

using Bytes = std::vector<uint8_t>;

std::string KeyPath(const char* name) {
  std::string path = std::string("Z:") + VORTO_TEST_DATA + "/keys/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string TestAgentPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string exe(path, n);
  return exe.substr(0, exe.find_last_of('\\') + 1) + "testagent.exe";
}

HWND FindAgentOf(DWORD processId) {
  HWND window = FindWindowA("Pageant", "Pageant");
  DWORD owner = 0;
  if (window) GetWindowThreadProcessId(window, &owner);
  return owner == processId ? window : nullptr;
}

// Security attributes that name this process's user as owner, as the
// client's own mappings do; the test agent accepts only such mappings.
struct OwnedByUs {
  SECURITY_ATTRIBUTES attributes;
  SECURITY_DESCRIPTOR descriptor;
  ProcessUser user;
};

bool MakeOwnedByUs(OwnedByUs& s) {
  s.attributes = {sizeof s.attributes, &s.descriptor, FALSE};
  return ReadProcessUser(s.user) && InitializeSecurityDescriptor(&s.descriptor, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorOwner(&s.descriptor, s.user.Sid(), FALSE);
}

Bytes Query(std::span<const uint8_t> request) {
  SecretBytes reply;
  if (!AgentQuery(request, reply)) return {};
  return reply.bytes;
}

Bytes Query(void (*build)(SecretBytes&)) {
  SecretBytes request;
  build(request);
  return Query(request.bytes);
}

Bytes SignRequest(std::span<const uint8_t> blob, std::span<const uint8_t> data) {
  SecretBytes request;
  BuildAgentSignRequest(blob, data, 0, request);
  return Query(request.bytes);
}

class AgentClient : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(AgentPresent()) << "an agent window is already there; end it before running these tests";
  }
  void TearDown() override { StopAgent(); }

  // Starts the test agent and waits for its window.
  void StartAgent(const std::vector<std::string>& arguments) {
    StopAgent();
    std::string exe = TestAgentPath();
    std::string commandLine = "\"" + exe + "\" --parent " + std::to_string(GetCurrentProcessId());
    for (const std::string& a : arguments) commandLine += " \"" + a + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    ASSERT_TRUE(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &agent_))
        << exe;
    for (DWORD waited = 0; !FindAgentOf(agent_.dwProcessId); waited += 20) {
      ASSERT_NE(WaitForSingleObject(agent_.hProcess, 0), WAIT_OBJECT_0) << "the test agent ended at start";
      ASSERT_LT(waited, 20000u) << "the test agent's window did not appear";
      Sleep(20);
    }
  }

  void StartAgentWithKeys(std::vector<std::string> options = {}) {
    for (const char* key : {"rsa_none.key", "dsa_none.key", "ssh1_clear.key"}) options.push_back(KeyPath(key));
    StartAgent(options);
  }

  // Ends the agent this test started, and waits until its window is gone.
  void StopAgent() {
    if (!agent_.hProcess) return;
    TerminateProcess(agent_.hProcess, 0);
    WaitForSingleObject(agent_.hProcess, 10000);
    for (int i = 0; i < 250 && FindAgentOf(agent_.dwProcessId); ++i) Sleep(20);
    CloseHandle(agent_.hProcess);
    CloseHandle(agent_.hThread);
    agent_ = {};
  }

  HWND AgentWindow() const { return FindAgentOf(agent_.dwProcessId); }

  PROCESS_INFORMATION agent_ = {};
};

TEST_F(AgentClient, ListsTheKeysOfTheFilesItHolds) {
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys());
  EXPECT_TRUE(AgentPresent());

  std::vector<AgentKey> keys;
  ASSERT_TRUE(ParseAgentIdentities(Query(BuildAgentRequestIdentities), keys));
  ASSERT_EQ(keys.size(), 2u);
  const char* files[] = {"rsa_none.key", "dsa_none.key"};
  for (size_t i = 0; i < 2; ++i) {
    Ssh2PublicKey expected;
    ASSERT_EQ(ReadSsh2PublicKeyFile(KeyPath(files[i]).c_str(), expected).status, kKeyLoaded);
    EXPECT_EQ(keys[i].blob, expected.blob) << files[i];
    EXPECT_EQ(keys[i].comment, expected.comment) << files[i];
  }

  std::vector<AgentRsaKey> rsa_keys;
  ASSERT_TRUE(ParseAgentRsaIdentities(Query(BuildAgentRequestRsaIdentities), rsa_keys));
  ASSERT_EQ(rsa_keys.size(), 1u);
  Ssh1PublicKey expected;
  ASSERT_EQ(ReadSsh1PublicKeyFile(KeyPath("ssh1_clear.key").c_str(), expected).status, kKeyLoaded);
  EXPECT_EQ(rsa_keys[0].bits, expected.bits);
  EXPECT_EQ(crypto::BnCompare(rsa_keys[0].key.modulus, expected.key.modulus), 0);
  EXPECT_EQ(crypto::BnCompare(rsa_keys[0].key.exponent, expected.key.exponent), 0);
  EXPECT_EQ(rsa_keys[0].comment, expected.comment);
}

TEST_F(AgentClient, SignaturesVerifyWithThePublicKeys) {
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys());
  std::vector<AgentKey> keys;
  ASSERT_TRUE(ParseAgentIdentities(Query(BuildAgentRequestIdentities), keys));
  ASSERT_EQ(keys.size(), 2u);
  const Bytes data = {0, 0, 0, 20, 's', 'e', 's', 's', 'i', 'o', 'n', 50, 'u', 's', 'e', 'r'};
  Bytes other = data;
  other.back() ^= 1;
  for (const AgentKey& key : keys) {
    SCOPED_TRACE(key.comment);
    std::vector<uint8_t> signature;
    ASSERT_TRUE(ParseAgentSignResponse(SignRequest(key.blob, data), signature));
    crypto::WireReader r = crypto::WireReaderOf(key.blob);
    std::span<const uint8_t> name;
    ASSERT_TRUE(crypto::WireGetString(r, name));
    const crypto::SshKeyAlgorithm* algorithm =
        crypto::FindKeyAlgorithm({reinterpret_cast<const char*>(name.data()), name.size()});
    ASSERT_NE(algorithm, nullptr);
    void* pub = algorithm->from_public_blob(key.blob);
    ASSERT_NE(pub, nullptr);
    EXPECT_TRUE(algorithm->verify(pub, signature, data));
    EXPECT_FALSE(algorithm->verify(pub, signature, other));
    algorithm->free_key(pub);
  }

  // A key the agent does not hold: failure, which is no signature.
  Bytes unknown = keys[0].blob;
  unknown.back() ^= 1;
  Bytes reply = SignRequest(unknown, data);
  EXPECT_EQ(AgentMessageType(reply), kAgentFailure);
  std::vector<uint8_t> signature;
  EXPECT_FALSE(ParseAgentSignResponse(reply, signature));
}

TEST_F(AgentClient, AnswersAnSsh1Challenge) {
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys());
  std::vector<AgentRsaKey> keys;
  ASSERT_TRUE(ParseAgentRsaIdentities(Query(BuildAgentRequestRsaIdentities), keys));
  ASSERT_EQ(keys.size(), 1u);

  std::array<uint8_t, kSsh1ChallengeLength> secret;
  for (size_t i = 0; i < secret.size(); ++i) secret[i] = uint8_t(0x80 + i * 7);
  std::array<uint8_t, kSsh1SessionIdLength> session_id;
  for (size_t i = 0; i < session_id.size(); ++i) session_id[i] = uint8_t(i * 13 + 1);
  crypto::Bignum challenge;
  ASSERT_TRUE(crypto::RsaPublicOp(keys[0].key, crypto::BnFromBytes(secret), challenge));

  SecretBytes request;
  BuildAgentRsaChallenge(keys[0], challenge, session_id, request);
  std::array<uint8_t, kSsh1ResponseLength> response;
  ASSERT_TRUE(ParseAgentRsaResponse(Query(request.bytes), response));
  crypto::Md5 md5;
  crypto::Md5Start(md5);
  crypto::Md5Add(md5, secret.data(), secret.size());
  crypto::Md5Add(md5, session_id.data(), session_id.size());
  std::array<uint8_t, kSsh1ResponseLength> expected;
  crypto::Md5Finish(md5, expected.data());
  EXPECT_EQ(response, expected);
}

TEST_F(AgentClient, ReplyLengthBeyondTheMappingIsRefused) {
  // The largest reply that fits is taken whole; one byte more is no reply.
  ASSERT_NO_FATAL_FAILURE(StartAgent({"--reply-length", "8188"}));
  EXPECT_EQ(Query(BuildAgentRequestIdentities).size(), kAgentMaxMessage);
  for (const char* forged : {"8189", "0xffffffff"}) {
    SCOPED_TRACE(forged);
    ASSERT_NO_FATAL_FAILURE(StartAgent({"--reply-length", forged}));
    SecretBytes request, reply;
    BuildAgentRequestIdentities(request);
    reply.bytes = {1, 2, 3};
    EXPECT_FALSE(AgentQuery(request.bytes, reply));
    EXPECT_TRUE(reply.bytes.empty());
  }
}

TEST_F(AgentClient, RequestLargerThanTheMappingIsNotSent) {
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys({"--keep-mapping"}));
  Bytes request(kAgentMaxMessage + 1, 0);
  crypto::StoreBe32(request.data(), uint32_t(request.size() - 4));
  request[4] = kAgentRequestIdentities;
  EXPECT_TRUE(Query(request).empty());
  EXPECT_EQ(SendMessageA(AgentWindow(), kMappingCleanMessage, 0, 0), -1) << "the agent was asked";

  request.pop_back();
  crypto::StoreBe32(request.data(), uint32_t(request.size() - 4));
  EXPECT_EQ(AgentMessageType(Query(request)), kAgentIdentitiesAnswer);
}

TEST_F(AgentClient, SharedMemoryIsWipedAfterTheAnswer) {
  // The agent holds the last mapping open until it is asked about it, which
  // also lets it go, so that the next request gets a fresh one.
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys({"--keep-mapping"}));
  std::vector<AgentKey> keys;
  ASSERT_TRUE(ParseAgentIdentities(Query(BuildAgentRequestIdentities), keys));
  EXPECT_EQ(SendMessageA(AgentWindow(), kMappingCleanMessage, 0, 0), 1);
  ASSERT_FALSE(keys.empty());
  std::vector<uint8_t> signature;
  ASSERT_TRUE(ParseAgentSignResponse(SignRequest(keys[0].blob, keys[0].blob), signature));
  EXPECT_EQ(SendMessageA(AgentWindow(), kMappingCleanMessage, 0, 0), 1);
}

TEST_F(AgentClient, MappingNameTakenByAnotherIsNotUsed) {
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys());
  // Mappings made beforehand under the name this thread's requests use: one
  // smaller than a request may be, and one the agent would accept, whose
  // maker could read every request written into it.
  char name[32];
  std::snprintf(name, sizeof name, "PageantRequest%08x", unsigned(GetCurrentThreadId()));
  OwnedByUs security;
  ASSERT_TRUE(MakeOwnedByUs(security));
  for (DWORD size : {DWORD(16), DWORD(kAgentMaxMessage)}) {
    SCOPED_TRACE(size);
    HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, &security.attributes, PAGE_READWRITE, 0, size, name);
    ASSERT_NE(squatter, nullptr);
    EXPECT_TRUE(Query(BuildAgentRequestIdentities).empty());
    CloseHandle(squatter);
  }
  EXPECT_FALSE(Query(BuildAgentRequestIdentities).empty());
}

TEST_F(AgentClient, HungAgentGivesNoReply) {
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys({"--hang"}));
  AgentSetReplyTimeoutForTests(500);
  SecretBytes request, reply;
  BuildAgentRequestIdentities(request);
  bool answered = AgentQuery(request.bytes, reply);
  AgentSetReplyTimeoutForTests(0);
  EXPECT_FALSE(answered);
  EXPECT_TRUE(reply.bytes.empty());

  // A working agent after it is asked as usual.
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys());
  EXPECT_FALSE(Query(BuildAgentRequestIdentities).empty());
}

TEST_F(AgentClient, NoAgentWindowMeansNoReply) {
  EXPECT_FALSE(AgentPresent());
  SecretBytes request, reply;
  BuildAgentRequestIdentities(request);
  EXPECT_FALSE(AgentQuery(request.bytes, reply));
  EXPECT_TRUE(reply.bytes.empty());

  // The same once an agent has come and gone.
  ASSERT_NO_FATAL_FAILURE(StartAgentWithKeys());
  EXPECT_TRUE(AgentQuery(request.bytes, reply));
  StopAgent();
  EXPECT_FALSE(AgentPresent());
  EXPECT_FALSE(AgentQuery(request.bytes, reply));
  EXPECT_TRUE(reply.bytes.empty());
}

}  // namespace
