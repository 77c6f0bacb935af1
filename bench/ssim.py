"""SSIM of decoded copies against the picture they were encoded from, with
scikit-image's structural_similarity over the three colour channels (Debian:
python3-skimage). Used by bench/measure-quality and bench/compare-formats."""

import numpy as np
from skimage.metrics import structural_similarity


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace() or data[at:at + 1] == b"#":
            if data[at:at + 1] == b"#":  # a comment runs to the end of its line
                at = data.index(b"\n", at)
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    at += 1  # the one blank after the maximum value
    assert fields[0] == b"P6" and fields[3] == b"255", path
    width, height = int(fields[1]), int(fields[2])
    return np.frombuffer(data, dtype=np.uint8, count=width * height * 3, offset=at).reshape(height, width, 3)


def ssim(reference, copy):
    return structural_similarity(reference, copy, channel_axis=2, data_range=255)
