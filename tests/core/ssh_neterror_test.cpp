#include <gtest/gtest.h>

#include <cstring>

#include "ssh/neterror.h"

using namespace vorto::ssh;

namespace {

TEST(NetErrorText, KnownCodes) {
    EXPECT_STREQ(NetErrorText(10004), "Network error: Interrupted function call");
    EXPECT_STREQ(NetErrorText(10035), "Network error: Resource temporarily unavailable");
    EXPECT_STREQ(NetErrorText(10047), "Network error: Address family not supported by protocol family");
    EXPECT_STREQ(NetErrorText(10053), "Network error: Software caused connection abort");
    EXPECT_STREQ(NetErrorText(10054), "Network error: Connection reset by peer");
    EXPECT_STREQ(NetErrorText(10061), "Network error: Connection refused");
    EXPECT_STREQ(NetErrorText(10101), "Network error: Graceful shutdown in progress");
}

TEST(NetErrorText, UnknownCodes) {
    // Gaps inside the table's range, its neighbours, and codes of other kinds.
    for (int code : {0, -1, 10000, 10003, 10005, 10059, 10062, 10066, 10068, 10100, 10102, 11001, 2147483647})
        EXPECT_STREQ(NetErrorText(code), "Unknown network error") << code;
}

TEST(NetErrorText, EveryTextIsANetworkError) {
    int known = 0;
    for (int code = 9990; code < 10200; ++code) {
        const char* text = NetErrorText(code);
        if (std::strcmp(text, "Unknown network error") == 0) continue;
        EXPECT_EQ(std::strncmp(text, "Network error: ", 15), 0) << code;
        ++known;
    }
    EXPECT_EQ(known, 35);
}

TEST(HostLookupErrorText, Codes) {
    EXPECT_STREQ(HostLookupErrorText(kWsaENetDown), "Network is down");
    EXPECT_STREQ(HostLookupErrorText(kWsaHostNotFound), "Host does not exist");
    EXPECT_STREQ(HostLookupErrorText(kWsaTryAgain), "Host not found");
    for (int code : {0, 11003, 11004, kWsaEConnReset})
        EXPECT_STREQ(HostLookupErrorText(code), "gethostbyname: unknown error") << code;
}

}  // namespace
