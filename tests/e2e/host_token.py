"""A host's token encoder written only from docs/host-integration.md, so that the tests show the
document is enough to start the updater from another language."""
import pathlib
import random
import re

DOC = pathlib.Path(__file__).resolve().parents[2] / "docs" / "host-integration.md"


def key_material():
    text = DOC.read_text(encoding="utf-8")
    block = re.search(r"^seed_one=.*?^launch_text=.*?$", text, re.S | re.M).group(0)
    return dict(line.split("=", 1) for line in block.splitlines())


def decode_table(seed_one, seed_two, fields):
    source = seed_one + seed_two
    for k in fields:
        part = min(k, len(source))
        if part > 0:
            source = source[len(source) - part:] + source + source[:part]
    return "".join(dict.fromkeys(source)) + "+/"


def encode(text, lead, fields):
    keys = key_material()
    table = decode_table(keys["seed_one"], keys["seed_two"], fields)
    reversed_bytes = text.encode("ascii")[::-1]
    body = ""
    for i in range(0, len(reversed_bytes), 3):
        group = reversed_bytes[i:i + 3]
        bits = int.from_bytes(group.ljust(3, b"\0"), "big")
        body += "".join(table[(bits >> (18 - 6 * v)) & 0x3F] for v in range(len(group) + 1))
    return lead + "".join(f"{k:02d}" for k in fields) + body


def random_token(rng=random):
    letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
    lead = "".join(rng.choice(letters) for _ in range(4))
    fields = [rng.randrange(100) for _ in range(5)]
    return encode(key_material()["launch_text"], lead, fields)


def example_token():
    text = DOC.read_text(encoding="utf-8")
    return re.search(r"give the token\n\n```\n(.*?)\n```", text, re.S).group(1)
