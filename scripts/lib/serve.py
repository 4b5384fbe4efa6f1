#!/usr/bin/env python3
"""A loopback HTTP server for the demo: serves DIR on 127.0.0.1 at a port the
system picks, writes that port to PORTFILE once it listens, logs each request
to stdout, and stops after SECONDS at the latest (or when killed)."""

import functools
import http.server
import os
import sys
import threading


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, fmt, *args):
        print("%s %s" % (self.address_string(), fmt % args), flush=True)


def main():
    directory, portfile, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    handler = functools.partial(Handler, directory=directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Timer(seconds, server.shutdown).start()
    with open(portfile + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(portfile + ".tmp", portfile)
    server.serve_forever()


if __name__ == "__main__":
    main()
