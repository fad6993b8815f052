#!/usr/bin/python3
"""A small CardDAV server for the tests, standard library only, on 127.0.0.1.

It keeps one address book, /alice/contacts/, for user "alice" (password "secret"), in DIR/store.json,
and answers what real servers rarely do when a test asks it to:

  POST /_control  {"auth": "basic" | "digest" | "digest-md5" | "digest-sha256" | "none",
                   "staleNonces": true,            the next Digest answer with an issued nonce: 401 stale=true
                   "syncCollection": false,        leave sync-collection out of supported-report-set
                   "script": [ {"method": "REPORT", "status": 207, "headers": {...}, "body": "...",
                                "delay": 0.5,      seconds before the answer
                                "drip": true,      then the body one byte each 0.1 s, never ending
                                "flood": true} ]}  then an endless body as fast as it goes
      A scripted answer is used once, for the next request of that method, in place of the real one.
  GET /_control/log      every request so far: [{"method", "path", "headers"}], then cleared.

The control paths need no credentials. Nothing but 127.0.0.1 is ever listened on.
"""
import argparse
import base64
import hashlib
import json
import os
import re
import secrets
import ssl
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import quote, unquote, urlsplit

USER, PASSWORD, REALM = "alice", "secret", "tessaly-test"
PRINCIPAL, BOOK = "/alice/", "/alice/contacts/"
DAV, CARD = "DAV:", "urn:ietf:params:xml:ns:carddav"


class State:
    def __init__(self, folder):
        self.lock = threading.Lock()
        self.path = os.path.join(folder, "store.json")
        self.cards, self.changes, self.serial = {}, [], 0  # name -> [etag, vcard]; [serial, name]
        if os.path.exists(self.path):
            with open(self.path, encoding="utf-8") as f:
                saved = json.load(f)
            self.cards, self.changes, self.serial = saved["cards"], saved["changes"], saved["serial"]
        self.auth, self.sync_collection = "basic", True
        self.script, self.log, self.nonces, self.stale = [], [], {}, False

    def save(self):
        with open(self.path + ".new", "w", encoding="utf-8") as f:
            json.dump({"cards": self.cards, "changes": self.changes, "serial": self.serial}, f)
        os.replace(self.path + ".new", self.path)

    def token(self):
        return "http://tessaly.test/sync/%d" % self.serial

    def change(self, name):
        self.serial += 1
        self.changes.append([self.serial, name])


def xml_escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def response(href, props=None, status=None):
    body = "<d:response><d:href>%s</d:href>" % xml_escape(href)
    if status:
        body += "<d:status>HTTP/1.1 %s</d:status>" % status
    if props is not None:
        body += "<d:propstat><d:prop>%s</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>" % props
    return body + "</d:response>"


def multistatus(parts, token=None):
    extra = "<d:sync-token>%s</d:sync-token>" % token if token is not None else ""
    return ('<?xml version="1.0" encoding="utf-8"?><d:multistatus xmlns:d="DAV:" xmlns:c="%s">%s%s'
            "</d:multistatus>" % (CARD, "".join(parts), extra))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    state = None

    def log_message(self, *args):
        pass

    def send(self, status, body=b"", headers=None):
        if isinstance(body, str):
            body = body.encode("utf-8")
        self.send_response(status)
        for name, value in (headers or {}).items():
            for one in value if isinstance(value, list) else [value]:
                self.send_header(name, one)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def body(self):
        return self.rfile.read(int(self.headers.get("Content-Length") or 0))

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def __getattr__(self, name):
        if name.startswith("do_"):
            return self.dispatch
        raise AttributeError(name)

    def dispatch(self):
        path = urlsplit(self.path).path
        state = self.state
        if path.startswith("/_control"):
            return self.control(path)
        request_body = self.body()
        with state.lock:
            state.log.append({"method": self.command, "path": self.path, "headers": dict(self.headers.items())})
        if not self.authorised():
            return
        with state.lock:
            scripted = next((s for s in state.script if s.get("method") == self.command), None)
            if scripted:
                state.script.remove(scripted)
        if scripted:
            return self.scripted(scripted)
        if path == "/.well-known/carddav":
            return self.send(301, b"", {"Location": "/"})
        handler = {"PROPFIND": self.propfind, "REPORT": self.report, "PUT": self.put, "DELETE": self.delete,
                   "GET": self.get}.get(self.command)
        if handler is None:
            return self.send(405)
        with state.lock:
            handler(path, request_body)

    def control(self, path):
        state = self.state
        if self.command == "GET":
            with state.lock:
                log, state.log = state.log, []
            return self.send(200, json.dumps(log), {"Content-Type": "application/json"})
        settings = json.loads(self.body() or b"{}")
        with state.lock:
            state.auth = settings.get("auth", state.auth)
            state.stale = settings.get("staleNonces", state.stale)
            state.sync_collection = settings.get("syncCollection", state.sync_collection)
            state.script.extend(settings.get("script", []))
        self.send(204)

    def scripted(self, s):
        time.sleep(s.get("delay", 0))
        headers = s.get("headers", {})
        if s.get("drip") or s.get("flood"):
            self.send_response(s.get("status", 200))
            for name, value in headers.items():
                self.send_header(name, value)
            self.send_header("Connection", "close")  # the body ends when the connection does: never
            self.end_headers()
            self.close_connection = True
            chunk = b"x" if s.get("drip") else b"<" * 65536
            try:
                while True:
                    self.wfile.write(chunk)
                    self.wfile.flush()
                    if s.get("drip"):
                        time.sleep(0.1)
            except OSError:
                self.close_connection = True
            return
        self.send(s.get("status", 200), s.get("body", ""), headers)

    # Authentication: Basic, or Digest (RFC 7616) with MD5 and SHA-256, qop=auth, counted nonces.
    def authorised(self):
        state = self.state
        if state.auth == "none":
            return True
        given = self.headers.get("Authorization", "")
        stale = False
        if state.auth == "basic" and given.startswith("Basic "):
            if base64.b64decode(given[6:]).decode("utf-8", "replace") == "%s:%s" % (USER, PASSWORD):
                return True
        elif state.auth.startswith("digest") and given.startswith("Digest "):
            verdict = self.check_digest(dict(re.findall(r'(\w+)="?([^",]*)"?', given[7:])))
            if verdict == "ok":
                return True
            stale = verdict == "stale"
        challenges = []
        if state.auth == "basic":
            challenges.append('Basic realm="%s"' % REALM)
        for algorithm in ("SHA-256", "MD5"):
            if state.auth in ("digest", "digest-" + algorithm.lower().replace("-", "")):
                nonce = secrets.token_hex(16)
                with state.lock:
                    state.nonces[nonce] = 0
                challenges.append('Digest realm="%s", qop="auth", algorithm=%s, nonce="%s", opaque="op"%s' %
                                  (REALM, algorithm, nonce, ", stale=true" if stale else ""))
        self.send(401, "credentials needed", {"WWW-Authenticate": challenges})
        return False

    def check_digest(self, p):
        state = self.state
        hashes = {"MD5": hashlib.md5, "SHA-256": hashlib.sha256}
        algorithm = p.get("algorithm", "MD5")
        if algorithm not in hashes or state.auth not in ("digest", "digest-" + algorithm.lower().replace("-", "")):
            return "no"

        def h(text):
            return hashes[algorithm](text.encode("utf-8")).hexdigest()

        with state.lock:
            if p.get("nonce") not in state.nonces:
                return "no"
            if state.stale:
                state.stale = False
                state.nonces.clear()
                return "stale"
            count = int(p.get("nc", "0"), 16)
            if count <= state.nonces[p["nonce"]] or p.get("opaque") != "op":
                return "no"
            state.nonces[p["nonce"]] = count
        ha1 = h("%s:%s:%s" % (USER, REALM, PASSWORD))
        ha2 = h("%s:%s" % (self.command, p.get("uri", "")))
        expected = h(":".join([ha1, p["nonce"], p.get("nc", ""), p.get("cnonce", ""), "auth", ha2]))
        ok = p.get("username") == USER and p.get("qop") == "auth" and p.get("uri") == self.path
        return "ok" if ok and p.get("response") == expected else "no"

    # The address book itself.
    def book_props(self):
        reports = "<d:supported-report><d:report><c:addressbook-multiget/></d:report></d:supported-report>"
        if self.state.sync_collection:
            reports += "<d:supported-report><d:report><d:sync-collection/></d:report></d:supported-report>"
        return ("<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype><d:displayname>Contacts"
                "</d:displayname><d:sync-token>%s</d:sync-token><d:supported-report-set>%s</d:supported-report-set>"
                % (self.state.token(), reports))

    def propfind(self, path, _body):
        depth = self.headers.get("Depth", "1")
        home = ("<d:current-user-principal><d:href>%s</d:href></d:current-user-principal>"
                "<c:addressbook-home-set><d:href>%s</d:href></c:addressbook-home-set>" % (PRINCIPAL, PRINCIPAL))
        if path in ("/", PRINCIPAL):
            parts = [response(path, "<d:resourcetype><d:collection/></d:resourcetype>" + home)]
            if path == PRINCIPAL and depth != "0":
                parts.append(response(BOOK, self.book_props()))
        elif path == BOOK:
            parts = [response(BOOK, self.book_props())]
            if depth != "0":
                parts += [response(BOOK + quote(name), "<d:getetag>%s</d:getetag>" % xml_escape(etag))
                          for name, (etag, _) in sorted(self.state.cards.items())]
        elif path.startswith(BOOK) and unquote(path[len(BOOK):]) in self.state.cards:
            etag = self.state.cards[unquote(path[len(BOOK):])][0]
            parts = [response(path, "<d:getetag>%s</d:getetag>" % xml_escape(etag))]
        else:
            return self.send(404)
        self.send(207, multistatus(parts), {"Content-Type": "application/xml; charset=utf-8"})

    def report(self, path, body):
        state = self.state
        text = body.decode("utf-8", "replace")
        if path != BOOK:
            return self.send(404)
        if "sync-collection" in text:
            if not state.sync_collection:
                return self.send(501)
            match = re.search(r"sync-token>([^<]*)<", text)
            token = match.group(1) if match else ""
            since = 0
            if token:
                known = re.fullmatch(r"http://tessaly\.test/sync/(\d+)", token)
                if not known or int(known.group(1)) > state.serial:
                    return self.send(403, '<?xml version="1.0"?><d:error xmlns:d="DAV:"><d:valid-sync-token/></d:error>',
                                     {"Content-Type": "application/xml"})
                since = int(known.group(1))
            names = dict.fromkeys(name for serial, name in state.changes if serial > since)
            parts = []
            for name in names:
                href = BOOK + quote(name)
                if name in state.cards:
                    parts.append(response(href, "<d:getetag>%s</d:getetag>" % xml_escape(state.cards[name][0])))
                else:
                    parts.append(response(href, status="404 Not Found"))
            return self.send(207, multistatus(parts, state.token()), {"Content-Type": "application/xml"})
        parts = []
        for href in re.findall(r"<(?:[\w.-]+:)?href>([^<]*)<", text):
            name = unquote(href[len(BOOK):]) if href.startswith(BOOK) else None
            if name in state.cards:
                etag, card = state.cards[name]
                parts.append(response(href, "<d:getetag>%s</d:getetag><c:address-data>%s</c:address-data>"
                                      % (xml_escape(etag), xml_escape(card))))
            else:
                parts.append(response(href, status="404 Not Found"))
        self.send(207, multistatus(parts), {"Content-Type": "application/xml"})

    def precondition_fails(self, name):
        current = self.state.cards.get(name, [None])[0]
        if self.headers.get("If-None-Match") == "*" and current is not None:
            return True
        wanted = self.headers.get("If-Match")
        return wanted is not None and wanted != current

    def put(self, path, body):
        state = self.state
        name = unquote(path[len(BOOK):]) if path.startswith(BOOK) else ""
        if not name or "/" in name:
            return self.send(403)
        if self.precondition_fails(name):
            return self.send(412)
        existed = name in state.cards
        etag = '"e%d"' % (state.serial + 1)
        state.cards[name] = [etag, body.decode("utf-8", "replace")]
        state.change(name)
        state.save()
        self.send(204 if existed else 201, b"", {"ETag": etag})

    def delete(self, path, _body):
        state = self.state
        name = unquote(path[len(BOOK):]) if path.startswith(BOOK) else ""
        if name not in state.cards:
            return self.send(404)
        if self.precondition_fails(name):
            return self.send(412)
        del state.cards[name]
        state.change(name)
        state.save()
        self.send(204)

    def get(self, path, _body):
        name = unquote(path[len(BOOK):]) if path.startswith(BOOK) else ""
        if name not in self.state.cards:
            return self.send(404)
        etag, card = self.state.cards[name]
        self.send(200, card, {"ETag": etag, "Content-Type": "text/vcard; charset=utf-8"})


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--tls", nargs=2, metavar=("CERTIFICATE", "KEY"), help="serve https with these PEM files")
    args = parser.parse_args()
    Handler.state = State(args.dir)
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*args.tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
