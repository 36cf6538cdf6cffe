#!/usr/bin/python3
"""Mail servers for the mail tests, on a free port of the loopback address.

Prints "PORT <n>" once listening, then serves until killed. Every message received is stored
in --out as N.eml (the bytes as received, dot-unstuffed by the server) and parsed with the
standard e-mail parser into N.subject, N.body (the decoded text), N.from, N.to, N.date,
N.msgid, N.charset, N.cte and N.rcpt (the envelope's recipients). events.log lists what the
server saw, a line per event: "connect", "HELO <name>", "EHLO <name>", "AUTH <user>",
"MAIL <addr>", "RCPT <addr>", "RSET", "DATA", "QUIT".

--server aiosmtpd (a real server: Debian's python3-aiosmtpd), options:
  --reject-rcpt TEXT      550 for a recipient holding TEXT
  --close-at-mail N       the N-th MAIL command (counted over all connections) gets 421 and
                          the connection is closed
  --drop-after-message N  the connection is closed (no reply) right after message N was taken
  --multiline-greeting    the greeting spans three lines
  --tls CERT KEY          STARTTLS with this certificate (or implicit TLS with --implicit)
  --implicit              TLS from the first byte
  --auth USER:PASSWORD    sign-in required (PLAIN and LOGIN)
  --login-only            sign-in offers LOGIN alone
--server script NAME (a tiny scripted peer for what a real server will not do):
  silent          greets, then never answers
  reject-helo     refuses "HELO <name>", takes "HELO" alone, then serves normally
  drop-in-data    takes DATA, then closes the connection after the first message line
"""
import argparse
import asyncio
import email
import email.policy
import os
import socket
import ssl
import sys
import threading

args = None
counter = {"message": 0, "mail": 0}
lock = threading.Lock()


def log(event):
    with lock:
        with open(os.path.join(args.out, "events.log"), "a", encoding="utf-8") as f:
            f.write(event + "\n")


def store(raw, rcpt):
    with lock:
        counter["message"] += 1
        n = counter["message"]
    base = os.path.join(args.out, str(n))
    with open(base + ".eml", "wb") as f:
        f.write(raw)
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    parts = {
        "subject": str(msg.get("Subject", "")),
        "from": str(msg.get("From", "")),
        "to": str(msg.get("To", "")),
        "date": str(msg.get("Date", "")),
        "msgid": str(msg.get("Message-ID", "")),
        "charset": str(msg.get_content_charset() or ""),
        "cte": str(msg.get("Content-Transfer-Encoding", "")),
        "body": msg.get_content().replace("\r\n", "\n"),
        "rcpt": "\n".join(rcpt),
    }
    for key, value in parts.items():
        with open(base + "." + key, "w", encoding="utf-8", newline="") as f:
            f.write(value)
    return n


def serve_aiosmtpd():
    from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

    class Handler:
        async def handle_HELO(self, server, session, envelope, hostname):
            log("HELO " + hostname)
            session.host_name = hostname
            return "250 " + server.hostname

        async def handle_EHLO(self, server, session, envelope, hostname, responses):
            log("EHLO " + hostname)
            session.host_name = hostname
            return responses

        async def handle_MAIL(self, server, session, envelope, address, options):
            with lock:
                counter["mail"] += 1
                n = counter["mail"]
            log("MAIL " + address)
            if args.close_at_mail and n == args.close_at_mail:
                asyncio.get_event_loop().call_later(0.05, server.transport.close)
                return "421 4.3.2 Service shutting down, try again"
            envelope.mail_from = address
            return "250 OK"

        async def handle_RCPT(self, server, session, envelope, address, options):
            log("RCPT " + address)
            if args.reject_rcpt and args.reject_rcpt in address:
                return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_RSET(self, server, session, envelope):
            log("RSET")
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            log("DATA")
            n = store(envelope.original_content, envelope.rcpt_tos)
            if args.drop_after_message and n == args.drop_after_message:
                asyncio.get_event_loop().call_soon(server.transport.abort)
            return "250 Message accepted for delivery"

        async def handle_QUIT(self, server, session, envelope):
            log("QUIT")
            return "221 Bye"

    def authenticator(server, session, envelope, mechanism, auth_data):
        user, password = args.auth.split(":", 1)
        ok = isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user \
            and auth_data.password.decode() == password
        log("AUTH %s %s %s" % (mechanism, auth_data.login.decode(), "ok" if ok else "refused"))
        return AuthResult(success=ok, handled=False)

    context = None
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls[0], args.tls[1])

    class Server(SMTP):
        def connection_made(self, transport):
            log("connect")
            super().connection_made(transport)

        async def push(self, status):
            if args.multiline_greeting and isinstance(status, str) and status.startswith("220 ") \
                    and not getattr(self, "_greeted", False):
                self._greeted = True
                status = "220-mail.test.invalid welcomes you\r\n220-second line of the greeting\r\n" + status
            await super().push(status)

    def factory():
        kwargs = dict(hostname="mail.test.invalid", decode_data=False, enable_SMTPUTF8=False)
        if args.tls and not args.implicit:
            kwargs["tls_context"] = context
        if args.auth:
            kwargs["authenticator"] = authenticator
            kwargs["auth_required"] = True
            kwargs["auth_require_tls"] = not args.implicit  # it cannot see TLS it did not start
            if args.login_only:
                kwargs["auth_exclude_mechanism"] = ["PLAIN"]
        return Server(Handler(), **kwargs)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(
        loop.create_server(factory, "127.0.0.1", 0, ssl=context if args.implicit else None))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


def serve_script(name):
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=session, args=(conn, name), daemon=True).start()


def session(conn, name):
    log("connect")
    f = conn.makefile("rb")

    def send(line):
        conn.sendall(line.encode() + b"\r\n")

    send("220 script.test.invalid ready")
    if name == "silent":
        f.readline()
        threading.Event().wait()
    rcpt = []
    while True:
        line = f.readline()
        if not line:
            return
        text = line.decode("latin-1").rstrip("\r\n")
        verb = text.split(" ", 1)[0].upper()
        log(text)
        if verb == "HELO":
            if name == "reject-helo" and text != "HELO":
                send("501 5.5.4 Name does not match the address")
            else:
                send("250 script.test.invalid")
        elif verb == "MAIL":
            rcpt = []
            send("250 OK")
        elif verb == "RCPT":
            rcpt.append(text[9:-1])
            send("250 OK")
        elif verb == "DATA":
            send("354 End data with <CR><LF>.<CR><LF>")
            if name == "drop-in-data":
                f.readline()
                conn.shutdown(socket.SHUT_RDWR)
                conn.close()
                return
            raw = b""
            while True:
                body = f.readline()
                if body in (b".\r\n", b""):
                    break
                raw += body[1:] if body.startswith(b".") else body
            store(raw, rcpt)
            send("250 OK")
        elif verb == "RSET":
            send("250 OK")
        elif verb == "QUIT":
            send("221 Bye")
            conn.close()
            return
        else:
            send("500 5.5.2 Unknown command")


def main():
    global args
    p = argparse.ArgumentParser()
    p.add_argument("--server", required=True)
    p.add_argument("--script", default="")
    p.add_argument("--out", required=True)
    p.add_argument("--reject-rcpt", default="")
    p.add_argument("--close-at-mail", type=int, default=0)
    p.add_argument("--drop-after-message", type=int, default=0)
    p.add_argument("--multiline-greeting", action="store_true")
    p.add_argument("--tls", nargs=2)
    p.add_argument("--implicit", action="store_true")
    p.add_argument("--auth", default="")
    p.add_argument("--login-only", action="store_true")
    args = p.parse_args()
    if args.server == "aiosmtpd":
        serve_aiosmtpd()
    else:
        serve_script(args.script)


if __name__ == "__main__":
    sys.exit(main())
