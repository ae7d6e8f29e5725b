"""GIF89a writer: one global palette, LZW with table reset, looping animations,
and an ordered-dither quantizer that turns RGB pictures into at most 256 colours."""
import struct

# 4x4 Bayer matrix, centred on zero, for dithering gradients into the palette.
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def lzw(indices, min_size):
    """GIF's variable-length LZW, packed least significant bit first."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    # The table maps (prefix code, next index) to a code; strings need not be kept.
    table = {}
    next_code, size = end + 1, min_size + 1
    emit(clear, size)
    run = -1
    for k in indices:
        if run < 0:
            run = k
            continue
        key = (run << 8) | k
        code = table.get(key)
        if code is not None:
            run = code
            continue
        emit(run, size)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            # The decoder adds each entry one code later, so widen only past the boundary.
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table = {}
            next_code, size = end + 1, min_size + 1
        run = k
    if run >= 0:
        emit(run, size)
    emit(end, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return bytes(out + b"\x00")


def table_bits(colours):
    bits = 1
    while (1 << bits) < len(colours):
        bits += 1
    return bits


def encode(width, height, palette, frames, loop=None):
    """frames: (indices row by row, delay in hundredths or None[, disposal]).
    Disposal defaults to 1: the frame stays in place under the next one."""
    if not 1 <= len(palette) <= 256:
        raise ValueError("a GIF palette holds 1 to 256 colours")
    bits = table_bits(palette)
    padded = list(palette) + [(0, 0, 0)] * ((1 << bits) - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (bits - 1), 0, 0)
    for rgb in padded:
        out += bytes(rgb)
    if loop is not None:
        out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", loop) + b"\x00"
    min_size = max(2, bits)
    for frame in frames:
        indices, delay = frame[0], frame[1]
        disposal = frame[2] if len(frame) > 2 else 1
        if len(indices) != width * height:
            raise ValueError("frame size does not match the picture")
        if delay is not None:
            out += b"\x21\xF9\x04" + struct.pack("<BHB", (disposal & 7) << 2, delay, 0) + b"\x00"
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        out += bytes([min_size]) + sub_blocks(lzw(indices, min_size))
    out += b"\x3B"
    return bytes(out)


def _dithered_keys(width, height, rgb):
    """Each pixel as a 15-bit colour key, dithered so gradients do not band."""
    rs, gs, bs = rgb
    keys = [0] * (width * height)
    i = 0
    for y in range(height):
        row = BAYER4[y & 3]
        for x in range(width):
            d = (row[x & 3] - 7.5) * (8.0 / 16.0)
            r = int(rs[i] + d) >> 3
            g = int(gs[i] + d) >> 3
            b = int(bs[i] + d) >> 3
            r = 0 if r < 0 else 31 if r > 31 else r
            g = 0 if g < 0 else 31 if g > 31 else g
            b = 0 if b < 0 else 31 if b > 31 else b
            keys[i] = (r << 10) | (g << 5) | b
            i += 1
    return keys


def _median_cut(counts, limit):
    """Splits the colour keys into at most `limit` boxes; returns key -> box."""
    boxes = [sorted(counts)]
    while len(boxes) < limit:
        best = None
        for n, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = []
            for shift in (10, 5, 0):
                vals = [(k >> shift) & 31 for k in box]
                spans.append(max(vals) - min(vals))
            weight = max(spans) * sum(counts[k] for k in box) ** 0.5
            if best is None or weight > best[0]:
                best = (weight, n, (10, 5, 0)[spans.index(max(spans))])
        if best is None or best[0] == 0:
            break
        _, n, shift = best
        box = sorted(boxes[n], key=lambda k: (((k >> shift) & 31), k))
        total = sum(counts[k] for k in box)
        acc, cut = 0, 1
        for j, k in enumerate(box):
            acc += counts[k]
            if acc * 2 >= total:
                cut = min(max(j + 1, 1), len(box) - 1)
                break
        boxes[n:n + 1] = [box[:cut], box[cut:]]
    return boxes


def quantize(width, height, frames_rgb, limit=256):
    """RGB frames (three float lists each) -> (palette, index lists), one palette for all."""
    keyed = [_dithered_keys(width, height, f) for f in frames_rgb]
    counts = {}
    for keys in keyed:
        for k in keys:
            counts[k] = counts.get(k, 0) + 1
    boxes = _median_cut(counts, limit)
    palette, lookup = [], {}
    for n, box in enumerate(boxes):
        total = sum(counts[k] for k in box)
        rgb = []
        for shift in (10, 5, 0):
            level = sum(((k >> shift) & 31) * counts[k] for k in box) / total
            rgb.append(min(255, int(round(level * 255 / 31))))
        palette.append(tuple(rgb))
        for k in box:
            lookup[k] = n
    if len(palette) < 2:
        palette.append((0, 0, 0))
    return palette, [[lookup[k] for k in keys] for keys in keyed]
