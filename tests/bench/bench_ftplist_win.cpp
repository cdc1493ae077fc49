// Time to list a large directory on a loopback FTP server through the
// library's enumeration (the path listings take under Wine), median of
// several runs. Usage: bench_ftplist.exe PORT DIRECTORY
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  int port = std::atoi(argv[1]);
  HINTERNET net = InternetOpenA("Vorto", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET ftp = InternetConnectA(net, "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                   INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
  if (!ftp) {
    std::printf("cannot connect: %lu\n", GetLastError());
    return 1;
  }
  std::string pattern = std::string(argv[2]) + "/*.*";
  std::vector<double> ms;
  size_t count = 0;
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  for (int run = 0; run < 5; ++run) {
    QueryPerformanceCounter(&a);
    WIN32_FIND_DATAA data;
    HINTERNET find = FtpFindFirstFileA(ftp, pattern.c_str(), &data, INTERNET_FLAG_RELOAD, 0);
    count = 0;
    if (find) {
      do ++count;
      while (InternetFindNextFileA(find, &data));
      InternetCloseHandle(find);
    }
    QueryPerformanceCounter(&b);
    ms.push_back(1000.0 * (b.QuadPart - a.QuadPart) / f.QuadPart);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("FTP enumeration under Wine: %zu entries, median %.1f ms over 5 runs\n", count, ms[ms.size() / 2]);
  InternetCloseHandle(ftp);
  InternetCloseHandle(net);
  return 0;
}
