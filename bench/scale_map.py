#!/usr/bin/env python3
"""Scales a binary (P5) PGM occupancy map up by nearest neighbour onto a
square canvas, padded with unknown grey, and writes it with a ROS map YAML
beside it (flow lists, the resolution divided by the scale), for measuring
the map import on large maps:

    bench/scale_map.py tests/data/slam_cells/hangar.pgm 2000 /tmp/big/hangar2000 0.05 -15.9 -14.07

(the source map's resolution and origin x, y as its YAML has them).
"""
import sys


def read_pgm(path):
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    assert fields[0] == b"P5" and int(fields[3]) == 255
    w, h = int(fields[1]), int(fields[2])
    return w, h, data[at + 1:at + 1 + w * h]


def main(src, side, out, source_resolution, origin_x, origin_y):
    w, h, pixels = read_pgm(src)
    scale = side / max(w, h)
    sw, sh = min(side, int(w * scale)), min(side, int(h * scale))
    columns = [min(w - 1, int(x / scale)) for x in range(sw)]
    pad = bytes([205]) * (side - sw)
    rows = []
    for y in range(sh):
        row = pixels[min(h - 1, int(y / scale)) * w:][:w]
        rows.append(bytes(row[c] for c in columns) + pad)
    rows += [bytes([205]) * side] * (side - sh)
    with open(out + ".pgm", "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (side, side))
        for r in rows:
            f.write(r)
    # The picture's lower-left corner stays where the original's was: the
    # padding is below it, so the origin moves down by its height.
    resolution = source_resolution / scale
    with open(out + ".yaml", "w") as f:
        f.write("image: %s.pgm\nresolution: %r\norigin: [%r, %r, 0.0]\nnegate: 0\n"
                "occupied_thresh: 0.65\nfree_thresh: 0.196\n"
                % (out.rsplit("/", 1)[-1], resolution, origin_x, origin_y - (side - sh) * resolution))


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), sys.argv[3], *map(float, sys.argv[4:7]))
