#include "support/peers_win.h"

#include <cstdio>
#include <cstdlib>

std::string PeerFolder(const char* name) {
#ifdef VORTO_PEER_DIR
  std::string path = std::string("Z:") + VORTO_PEER_DIR + "/" + name;
#else
  std::string path = std::string("Z:/tmp/") + name;
#endif
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

int PeerPort(const char* name) {
  std::string file = PeerFolder(name) + "\\" + name + ".port";
  FILE* f = std::fopen(file.c_str(), "r");
  if (!f) return 0;
  int port = 0;
  if (std::fscanf(f, "%d", &port) != 1) port = 0;
  std::fclose(f);
  return port;
}
