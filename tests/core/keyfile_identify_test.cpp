// Recognising key files by their first bytes, and the texts that name them.
#include <gtest/gtest.h>

#include "ssh/keyfile.h"
#include "tests/core/keyfile_test_support.h"

using namespace vorto::ssh;
using namespace keyfile_test;

TEST(KeyFileIdentify, FixturesByTheirFirstBytes) {
    struct Case {
        const char* name;
        KeyFileType type;
        const char* description;
    } cases[] = {
        {"rsa_none.key", kKeyFileSsh2, "PuTTY SSH2 private key"},
        {"dsa_rev1_mac.key", kKeyFileSsh2, "PuTTY SSH2 private key"},
        {"ssh1_3des.key", kKeyFileSsh1, "SSH1 private key"},
        {"openssh_rsa.key", kKeyFileOpenSsh, "OpenSSH SSH2 private key"},
        {"sshcom.key", kKeyFileSshCom, "ssh.com SSH2 private key"},
        {"not_a_key.txt", kKeyFileUnknown, "not a private key"},
        {"missing.key", kKeyFileCannotOpen, "unable to open file"},
    };
    for (const Case& c : cases) {
        KeyFileType type = IdentifyKeyFile(KeyPath(c.name).c_str());
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_STREQ(KeyFileTypeDescription(type), c.description) << c.name;
    }
    EXPECT_STREQ(KeyFileTypeDescription(-1), "INTERNAL ERROR");
    EXPECT_STREQ(KeyFileTypeDescription(6), "INTERNAL ERROR");
}

TEST(KeyFileIdentify, StartsThatFallShort) {
    // A file shorter than a signature, or the SSH-1 text without its line end.
    EXPECT_EQ(IdentifyKeyBytes(BytesOf("PuTTY-User-Key-File")), kKeyFileUnknown);
    EXPECT_EQ(IdentifyKeyBytes(BytesOf("SSH PRIVATE KEY FILE FORMAT 1.1")), kKeyFileUnknown);
    EXPECT_EQ(IdentifyKeyBytes(BytesOf("---- BEGIN SSH2 ENCRYPTED PRIVA")), kKeyFileUnknown);
    EXPECT_EQ(IdentifyKeyBytes({}), kKeyFileUnknown);
    EXPECT_EQ(IdentifyKeyBytes(BytesOf("---- BEGIN SSH2 PUBLIC KEY ----")), kKeyFileUnknown);
}
