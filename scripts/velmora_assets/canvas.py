"""An RGB drawing surface with the few shapes the scenes are built from."""
import math


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def scale(c, k):
    return (c[0] * k, c[1] * k, c[2] * k)


class Canvas:
    def __init__(self, width, height):
        self.w, self.h = width, height
        n = width * height
        self.r, self.g, self.b = [0.0] * n, [0.0] * n, [0.0] * n
        # Ambient light multiplies every colour not drawn as a light source.
        self.amb = (1.0, 1.0, 1.0)

    def _col(self, c, lit):
        if lit:
            return c
        a = self.amb
        return (c[0] * a[0], c[1] * a[1], c[2] * a[2])

    def span(self, y, x0, x1, c, alpha=1.0, lit=False, tex=None):
        """Row y from x0 to x1 (exclusive), clipped; tex = (noise, amount) roughens it."""
        if y < 0 or y >= self.h:
            return
        x0 = max(0, int(x0))
        x1 = min(self.w, int(x1))
        if x1 <= x0:
            return
        cr, cg, cb = self._col(c, lit)
        i0, i1 = y * self.w + x0, y * self.w + x1
        if tex is not None:
            noise, amount = tex
            k0 = 1.0 - alpha
            for x in range(x0, x1):
                i = y * self.w + x
                k = (1.0 + amount * noise(x, y)) * alpha
                self.r[i] = self.r[i] * k0 + cr * k
                self.g[i] = self.g[i] * k0 + cg * k
                self.b[i] = self.b[i] * k0 + cb * k
            return
        if alpha >= 1.0:
            n = i1 - i0
            self.r[i0:i1] = [cr] * n
            self.g[i0:i1] = [cg] * n
            self.b[i0:i1] = [cb] * n
            return
        k = 1.0 - alpha
        R, G, B = self.r, self.g, self.b
        for i in range(i0, i1):
            R[i] = R[i] * k + cr * alpha
            G[i] = G[i] * k + cg * alpha
            B[i] = B[i] * k + cb * alpha

    def dot(self, x, y, c, alpha=1.0, lit=False):
        x, y = int(x), int(y)
        if 0 <= x < self.w and 0 <= y < self.h:
            self.span(y, x, x + 1, c, alpha, lit)

    def add(self, x, y, c):
        """Adds light to one pixel."""
        if 0 <= x < self.w and 0 <= y < self.h:
            i = y * self.w + x
            self.r[i] += c[0]
            self.g[i] += c[1]
            self.b[i] += c[2]

    def rect(self, x0, y0, x1, y1, c, alpha=1.0, lit=False):
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            self.span(y, x0, x1, c, alpha, lit)

    def vgrad(self, y0, y1, c0, c1, x0=0, x1=None, lit=False, alpha=1.0):
        x1 = self.w if x1 is None else x1
        y0, y1 = int(y0), int(y1)
        for y in range(max(0, y0), min(self.h, y1)):
            t = (y - y0) / max(1, y1 - y0 - 1)
            self.span(y, x0, x1, mix(c0, c1, t), alpha, lit)

    def poly(self, pts, c, alpha=1.0, lit=False, tex=None):
        """Even-odd scanline fill through pixel centres."""
        if len(pts) < 3:
            return
        ys = [p[1] for p in pts]
        n = len(pts)
        for y in range(max(0, int(min(ys))), min(self.h, int(math.ceil(max(ys))) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(n):
                (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
                if (ay <= yc < by) or (by <= yc < ay):
                    xs.append(ax + (yc - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for j in range(0, len(xs) - 1, 2):
                self.span(y, int(round(xs[j])), int(round(xs[j + 1])), c, alpha, lit, tex)

    def ellipse(self, cx, cy, rx, ry, c, alpha=1.0, lit=False, y_min=None, y_max=None):
        if rx <= 0 or ry <= 0:
            return
        top = int(cy - ry)
        bottom = int(math.ceil(cy + ry))
        if y_min is not None:
            top = max(top, int(y_min))
        if y_max is not None:
            bottom = min(bottom, int(y_max))
        for y in range(max(0, top), min(self.h, bottom + 1)):
            d = (y + 0.5 - cy) / ry
            if abs(d) >= 1:
                continue
            half = rx * math.sqrt(1 - d * d)
            self.span(y, int(round(cx - half)), int(round(cx + half)), c, alpha, lit)

    def line(self, x0, y0, x1, y1, c, width=1.0, alpha=1.0, lit=False):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy)
        if length == 0:
            return
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        if width <= 1.2:
            steps = int(max(abs(dx), abs(dy))) + 1
            for s in range(steps + 1):
                t = s / steps
                self.dot(x0 + dx * t, y0 + dy * t, c, alpha, lit)
            return
        self.poly([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)],
                  c, alpha, lit)

    def glow(self, cx, cy, radius, c, strength=1.0, squash=1.0):
        """Additive light falling off with distance: torches, windows, the moon's halo."""
        r2 = radius * radius
        for y in range(max(0, int(cy - radius * squash)), min(self.h, int(cy + radius * squash) + 1)):
            dy = (y + 0.5 - cy) / squash
            for x in range(max(0, int(cx - radius)), min(self.w, int(cx + radius) + 1)):
                d2 = (x + 0.5 - cx) ** 2 + dy * dy
                if d2 < r2:
                    k = (1 - d2 / r2) ** 2 * strength
                    i = y * self.w + x
                    self.r[i] += c[0] * k
                    self.g[i] += c[1] * k
                    self.b[i] += c[2] * k

    def tint(self, x0, y0, x1, y1, mul):
        for y in range(max(0, int(y0)), min(self.h, int(y1))):
            for x in range(max(0, int(x0)), min(self.w, int(x1))):
                i = y * self.w + x
                self.r[i] *= mul[0]
                self.g[i] *= mul[1]
                self.b[i] *= mul[2]

    def texture(self, x0, y0, x1, y1, noise, amount):
        """Darkens and lightens by noise(x, y) in [-1, 1]: stone, grass, bark."""
        for y in range(max(0, int(y0)), min(self.h, int(y1))):
            for x in range(max(0, int(x0)), min(self.w, int(x1))):
                k = 1.0 + amount * noise(x, y)
                i = y * self.w + x
                self.r[i] *= k
                self.g[i] *= k
                self.b[i] *= k

    def vignette(self, x0, y0, x1, y1, strength=0.3):
        """Darkens towards the edges of the box, as old paper and lenses do."""
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        rx, ry = max(1.0, (x1 - x0) / 2), max(1.0, (y1 - y0) / 2)
        for y in range(max(0, int(y0)), min(self.h, int(y1))):
            dy = (y + 0.5 - cy) / ry
            for x in range(max(0, int(x0)), min(self.w, int(x1))):
                dx = (x + 0.5 - cx) / rx
                k = 1.0 - strength * min(1.0, (dx * dx + dy * dy) / 2) ** 1.5
                i = y * self.w + x
                self.r[i] *= k
                self.g[i] *= k
                self.b[i] *= k

    def get(self, x, y):
        i = y * self.w + x
        return (self.r[i], self.g[i], self.b[i])

    def reflect(self, line_y, y1, tint, phase=0.0, wave=1.5, strength=0.55, x0=0, x1=None):
        """Water from line_y down to y1 mirroring what is above it, rippled."""
        x1 = self.w if x1 is None else x1
        line_y = int(line_y)
        for y in range(max(0, line_y), min(self.h, int(y1))):
            depth = y - line_y
            src = line_y - 1 - depth
            shift = wave * (0.4 + depth / max(1.0, (y1 - line_y))) * math.sin(depth * 0.9 + phase * 2 * math.pi)
            fade = strength * (1 - 0.5 * depth / max(1.0, y1 - line_y))
            for x in range(max(0, int(x0)), min(self.w, int(x1))):
                sx = min(self.w - 1, max(0, int(x + shift)))
                sy = min(self.h - 1, max(0, src))
                i = y * self.w + x
                j = sy * self.w + sx
                self.r[i] = self.r[j] * fade + tint[0] * (1 - fade)
                self.g[i] = self.g[j] * fade + tint[1] * (1 - fade)
                self.b[i] = self.b[j] * fade + tint[2] * (1 - fade)

    def clamp(self):
        for ch in (self.r, self.g, self.b):
            for i, v in enumerate(ch):
                if v < 0:
                    ch[i] = 0.0
                elif v > 255:
                    ch[i] = 255.0

    def channels(self):
        self.clamp()
        return (self.r, self.g, self.b)


class Noise:
    """Smooth value noise on a lattice, seeded; values in [-1, 1]."""

    def __init__(self, rng, cell=8.0, size=64):
        self.cell, self.size = cell, size
        self.grid = [rng.random() * 2 - 1 for _ in range(size * size)]

    def __call__(self, x, y):
        fx, fy = x / self.cell, y / self.cell
        ix, iy = int(math.floor(fx)), int(math.floor(fy))
        tx, ty = fx - ix, fy - iy
        tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
        s, g = self.size, self.grid
        a = g[(iy % s) * s + ix % s]
        b = g[(iy % s) * s + (ix + 1) % s]
        c = g[((iy + 1) % s) * s + ix % s]
        d = g[((iy + 1) % s) * s + (ix + 1) % s]
        return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty
