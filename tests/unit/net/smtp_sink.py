"""A loopback mail server for the tests: aiosmtpd takes every message and
writes what arrived (envelope, headers, each part decoded) as JSON into the
folder given. Prints its port, then runs until stdin closes."""
import base64, email, email.policy, json, os, socket, sys, time
from aiosmtpd.controller import Controller

out = sys.argv[1]
count = 0

class Sink:
    async def handle_DATA(self, server, session, envelope):
        global count
        msg = email.message_from_bytes(envelope.content, policy=email.policy.compat32)
        parts = []
        for part in msg.walk():
            if part.is_multipart():
                continue
            parts.append({
                "content_type": part.get_content_type(),
                "charset": part.get_content_charset() or "",
                "filename": part.get_filename() or "",
                "data": base64.b64encode(part.get_payload(decode=True) or b"").decode(),
            })
        doc = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "headers": [[k, v] for k, v in msg.items()],
            "parts": parts,
            "raw": base64.b64encode(envelope.original_content or envelope.content).decode(),
        }
        count += 1
        tmp = os.path.join(out, "message-%d.tmp" % count)
        with open(tmp, "w") as f:
            json.dump(doc, f)
        os.rename(tmp, os.path.join(out, "message-%d.json" % count))
        return "250 Message accepted for delivery"

s = socket.socket()
s.bind(("127.0.0.1", 0))
port = s.getsockname()[1]
s.close()
controller = Controller(Sink(), hostname="127.0.0.1", port=port)
controller.start()
print(port, flush=True)
sys.stdin.read()
controller.stop()
