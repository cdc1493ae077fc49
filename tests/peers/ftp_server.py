#!/usr/bin/env python3
"""FTP test peer on loopback: pyftpdlib with an anonymous root and a user
"tester" (password "secret"), both writable. Picks a free port and writes
it to <state dir>/ftp.port once the server accepts connections.

Extra behaviour for the tests:
- deleting a file named "long-refusal" answers with a multi-line 550 reply
  of several kilobytes;
- the peer named "ftpslow" moves data at 64 KiB/s;
- "SITE DROPALL" closes every other session (connections dropped by the
  network), "SITE DIE" closes everything and ends the server (a server that
  went away)."""
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class Handler(FTPHandler):
    proto_cmds = dict(FTPHandler.proto_cmds)
    for _name in ("SITE DROPALL", "SITE DIE"):
        proto_cmds[_name] = dict(perm=None, auth=True, arg=False, help="Syntax: SITE %s" % _name[5:])

    def _others(self):
        return [h for h in list(self.ioloop.socket_map.values())
                if isinstance(h, FTPHandler) and h is not self]

    def ftp_SITE_DROPALL(self, line):
        for handler in self._others():
            handler.close()
        self.respond("200 Dropped.")

    def ftp_SITE_DIE(self, line):
        self.respond("200 Going away.")
        self.ioloop.call_later(0.2, os._exit, 0)
        for handler in self._others():
            handler.close()
        self.server.close()

    def ftp_DELE(self, path):
        if os.path.basename(path) == "long-refusal":
            lines = ["550-This server refuses at length."]
            lines += ["550-%04d %s" % (i, "x" * 60) for i in range(80)]
            lines.append("550 End of refusal.")
            self.respond("\r\n".join(lines))
            return
        return super().ftp_DELE(path)


def main():
    state = sys.argv[1]
    name = sys.argv[2] if len(sys.argv) > 2 else "ftp"
    listen_port = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    root = os.path.join(state, "root")
    os.makedirs(root, exist_ok=True)
    authorizer = DummyAuthorizer()
    authorizer.add_user("tester", "secret", root, perm="elradfmwMT")
    authorizer.add_anonymous(root, perm="elradfmwMT")
    Handler.authorizer = authorizer
    Handler.passive_ports = range(40000, 40200)
    if name == "ftpslow":
        # A slow data link, so that a transfer is still running when a
        # test acts in the middle of it.
        from pyftpdlib.handlers import ThrottledDTPHandler
        ThrottledDTPHandler.read_limit = 64 * 1024
        ThrottledDTPHandler.write_limit = 64 * 1024
        Handler.dtp_handler = ThrottledDTPHandler
    server = FTPServer(("127.0.0.1", listen_port), Handler)
    port = server.socket.getsockname()[1]
    with open(os.path.join(state, name + ".port.tmp"), "w") as f:
        f.write(str(port))
    os.replace(os.path.join(state, name + ".port.tmp"), os.path.join(state, name + ".port"))
    server.serve_forever(timeout=0.5)


if __name__ == "__main__":
    main()
