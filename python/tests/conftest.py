# SPDX-License-Identifier: MIT
# What the tests share: the built program, run on records, and inputs of
# random and near-duplicate records.
import os
import random
import re
import subprocess
import tempfile

import pytest

HEADED_LINE = re.compile(rb" *(\d+) (.*)", re.DOTALL)

PROGRAM = os.environ.get("VEXARO_BINARY", "")
SOURCE_DIR = os.environ.get(
    "VEXARO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..")
)

# Option sets that reach each measure and each way of preparing a record.
OPTION_SETS = [
    [],
    ["-p", "-a"],
    ["-m"],
    ["-f"],
    ["-a9999"],
    ["-b"],
    ["-v", "-n"],
    ["-s3", "-c:", "-ooo"],
]


def run_program(records, arguments):
    """The program's -d output for these records: (lines, header scores, mean)."""
    if not PROGRAM:
        pytest.skip("VEXARO_BINARY names no program")
    data = b"".join(encode(record) + b"\n" for record in records)
    with tempfile.TemporaryFile() as stdin:  # the program needs a seekable input
        stdin.write(data)
        stdin.seek(0)
        done = subprocess.run([PROGRAM, "-d", *arguments], stdin=stdin, capture_output=True,
                              env={**os.environ, "VEXARO_THREADS": "2"}, check=False)
    body, _, mean_line = done.stdout.rpartition(b"\n*** Mean value of all scores: ")
    lines, headers = [], []
    for line in body.split(b"\n")[:-1]:
        header, text = HEADED_LINE.fullmatch(line).groups()
        # "%4u" shows a negative score as its 32-bit two's complement.
        headers.append((int(header) + 2**31) % 2**32 - 2**31)
        lines.append(text)
    mean = int(mean_line.split()[0])
    assert done.returncode == mean % 256
    return lines, headers, mean


def encode(text):
    return text.encode() if isinstance(text, str) else text


def shown(record):
    """A record as the program writes it: bytes 1 to 31 as blanks."""
    return bytes(32 if 0 < byte < 32 else byte for byte in encode(record))


def near_duplicates(seed, count=40):
    """Random words and edited copies of them, some bytes outside ASCII."""
    rng = random.Random(seed)
    alphabet = "abcdefghij klmnop:XYZ019\té"
    bases = ["".join(rng.choice(alphabet) for _ in range(rng.randint(3, 60)))
             for _ in range(max(2, count // 4))]
    records = []
    while len(records) < count:
        text = list(rng.choice(bases))
        for _ in range(rng.randint(0, 4)):
            spot = rng.randrange(len(text) + 1)
            text[spot:spot + rng.randint(0, 2)] = rng.choice(alphabet) * rng.randint(0, 2)
        record = "".join(text).strip("\n")
        if record:
            records.append(record)
    return records


@pytest.fixture(params=range(len(OPTION_SETS)), ids=lambda i: " ".join(OPTION_SETS[i]) or "defaults")
def arguments(request):
    return OPTION_SETS[request.param]
