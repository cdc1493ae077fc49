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
  went away);
- listing a folder whose name begins with "brokenlist" is broken off: the
  data connection closes at once and the reply is 426;
- making a folder whose name begins with "refused" answers 550.

With a byte rate in the environment (FTP_PEER_RATE, bytes per second) the
data connections are throttled to it both ways, in small steps, like a
slow link.

A fourth argument above 0 limits the connections from one address to that
many, as many real servers do. With such a limit, retrieving a file whose
name starts with "drop-" closes that session without an answer, and the
limit falls by one until every session has ended, so the dropped client
cannot come back. Deleting a file whose name starts with "dropothers-"
closes every other session instead and lets no one else in until every
session has ended."""
import os
import socket
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, PassiveDTP, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


class Handler(FTPHandler):
    connection_limit = 0
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

    def ftp_RETR(self, file):
        limit = self.server.max_cons_per_ip
        if limit and os.path.basename(file).startswith("drop-"):
            if limit > 1:
                self.server.max_cons_per_ip = limit - 1
            self.close()
            return
        return super().ftp_RETR(file)

    def on_disconnect(self):
        if not self._others() and Handler.connection_limit:
            self.server.max_cons_per_ip = Handler.connection_limit

    def ftp_DELE(self, path):
        if self.server.max_cons_per_ip and os.path.basename(path).startswith("dropothers-"):
            for handler in self._others():
                handler.close()
            self.server.max_cons_per_ip = 1
            self.respond("250 Dropped the others.")
            return
        if os.path.basename(path) == "long-refusal":
            lines = ["550-This server refuses at length."]
            lines += ["550-%04d %s" % (i, "x" * 60) for i in range(80)]
            lines.append("550 End of refusal.")
            self.respond("\r\n".join(lines))
            return
        return super().ftp_DELE(path)

    def _broken_list(self, path):
        # The enumeration of some clients names a pattern below the folder.
        parts = path.replace("\\", "/").rstrip("/").split("/")
        if len(parts) > 1 and "*" in parts[-1]:
            parts.pop()
        return parts[-1].startswith("brokenlist")

    def ftp_LIST(self, path):
        if self._broken_list(path):
            # The data connection opens and closes again before a single
            # entry went out: the transfer was aborted.
            if self.data_channel is not None:
                self.respond("125 Data connection already open. Transfer starting.")
                self.data_channel.close()
                self.data_channel = None
            else:
                self.respond("150 File status okay. About to open data connection.")
            self.respond("426 Connection closed; transfer aborted.")
            return
        return super().ftp_LIST(path)

    def ftp_MKD(self, path):
        if os.path.basename(path).startswith("refused"):
            self.respond("550 Folder refused.")
            return
        return super().ftp_MKD(path)


class SlowDTPHandler(ThrottledDTPHandler):
    # Small socket steps and buffers, so the rate holds within a fraction
    # of a second instead of in bursts, and a client's writes wait for the
    # link as they would on a real one instead of filling loopback buffers.
    ac_out_buffer_size = 1024
    ac_in_buffer_size = 1024

    def __init__(self, sock, cmd_channel):
        for option in (socket.SO_RCVBUF, socket.SO_SNDBUF):
            sock.setsockopt(socket.SOL_SOCKET, option, 4096)
        super().__init__(sock, cmd_channel)


class SlowPassiveDTP(PassiveDTP):
    # The data connection's window and segment size are fixed when it is
    # made, so they are set on the listening socket. With loopback's 64 KiB
    # segments the client's system takes more than 2 MB of an upload into
    # its buffers at once; with the segments and window of a real link it
    # takes about 520 KB, and further writes wait for the server.
    def listen(self, num):
        self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        self.socket.setsockopt(socket.IPPROTO_TCP, socket.TCP_MAXSEG, 1024)
        return super().listen(num)


def main():
    state = sys.argv[1]
    name = sys.argv[2] if len(sys.argv) > 2 else "ftp"
    listen_port = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    limit = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    root = os.path.join(state, "root")
    os.makedirs(root, exist_ok=True)
    authorizer = DummyAuthorizer()
    authorizer.add_user("tester", "secret", root, perm="elradfmwMT")
    authorizer.add_anonymous(root, perm="elradfmwMT")
    Handler.authorizer = authorizer
    Handler.passive_ports = range(40000, 40200)
    rate = int(os.environ.get("FTP_PEER_RATE", "0"))
    if rate > 0:
        SlowDTPHandler.read_limit = rate
        SlowDTPHandler.write_limit = rate
        Handler.dtp_handler = SlowDTPHandler
        Handler.passive_dtp = SlowPassiveDTP
    server = FTPServer(("127.0.0.1", listen_port), Handler)
    if limit > 0:
        Handler.connection_limit = limit
        server.max_cons_per_ip = limit
    port = server.socket.getsockname()[1]
    with open(os.path.join(state, name + ".port.tmp"), "w") as f:
        f.write(str(port))
    os.replace(os.path.join(state, name + ".port.tmp"), os.path.join(state, name + ".port"))
    server.serve_forever(timeout=0.5)


if __name__ == "__main__":
    main()
