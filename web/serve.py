#!/usr/bin/env python3
"""Serves the browser build (scripts/web --serve runs it).

    web/serve.py DIR [--host ADDR] [--port N] [--quiet]

A file is sent as its precompressed neighbour (FILE.br, else FILE.gz) with Content-Encoding when the
browser accepts that encoding, else as it is. 127.0.0.1 only, unless --host says otherwise (0.0.0.0
for a phone on the same network); port 0 takes a free one. The first line on standard output is
"serving http://HOST:PORT/".
"""
import argparse
import http.server
import os
import socket
import sys

TYPES = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
    '.data': 'application/octet-stream', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
    '.txt': 'text/plain; charset=utf-8',
}


def accepted(header):
    """The encodings an Accept-Encoding header allows (q=0 refuses)."""
    result = set()
    for part in (header or '').split(','):
        name, _, params = part.strip().partition(';')
        q = 1.0
        params = params.strip()
        if params.startswith('q='):
            try:
                q = float(params[2:])
            except ValueError:
                q = 0.0
        if name and q > 0:
            result.add(name.strip().lower())
    return result


class Handler(http.server.SimpleHTTPRequestHandler):
    quiet = False
    # Keep-alive: a page's four requests over one connection, not four handshakes on a slow link.
    protocol_version = 'HTTP/1.1'

    def guess_type(self, path):
        return TYPES.get(os.path.splitext(path)[1].lower()) or super().guess_type(path)

    def end_headers(self):
        # A rebuilt page must not meet yesterday's pelloro.wasm in the cache.
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isfile(path):
            encodings = accepted(self.headers.get('Accept-Encoding'))
            for encoding, suffix in (('br', '.br'), ('gzip', '.gz')):
                packed = path + suffix
                if encoding in encodings and os.path.isfile(packed) and os.path.getmtime(packed) >= os.path.getmtime(path):
                    f = open(packed, 'rb')
                    self.send_response(200)
                    self.send_header('Content-Type', self.guess_type(path))
                    self.send_header('Content-Encoding', encoding)
                    self.send_header('Content-Length', str(os.fstat(f.fileno()).st_size))
                    self.send_header('Vary', 'Accept-Encoding')
                    self.end_headers()
                    return f
        return super().send_head()

    def log_message(self, fmt, *args):
        if not self.quiet:
            super().log_message(fmt, *args)


def main():
    parser = argparse.ArgumentParser(description='Serves the browser build.')
    parser.add_argument('dir')
    parser.add_argument('--host', default='127.0.0.1')
    parser.add_argument('--port', type=int, default=8080)
    parser.add_argument('--quiet', action='store_true')
    o = parser.parse_args()
    if not os.path.isfile(os.path.join(o.dir, 'index.html')):
        sys.exit(f'serve: {o.dir} holds no index.html; build it with scripts/web')
    Handler.quiet = o.quiet
    handler = lambda *a, **k: Handler(*a, directory=o.dir, **k)  # noqa: E731
    try:
        server = http.server.ThreadingHTTPServer((o.host, o.port), handler)
    except OSError as e:
        sys.exit(f'serve: cannot listen on {o.host}:{o.port} ({e.strerror}); choose another port or --host')
    port = server.server_address[1]
    print(f'serving http://{o.host}:{port}/', flush=True)
    if o.host in ('0.0.0.0', '::'):
        try:
            probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            probe.connect(('192.0.2.1', 9))  # no packet is sent; this only picks the outgoing address
            print(f'  from another device on this network: http://{probe.getsockname()[0]}:{port}/', flush=True)
            probe.close()
        except OSError:
            pass
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    main()
