// Paints the cube's five texture pictures and writes them as 24-bit BMP files into bmp_cube/ under
// the folder given as the only argument (default: the current directory). Every run writes the same
// bytes: all randomness comes from a fixed hash.
//
//   make_textures [output-root]
#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

namespace {

const int kSize = 128;

struct Colour {
    float r, g, b;
};

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float f) { return {c.r * f, c.g * f, c.b * f}; }

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float SmoothStep(float edge0, float edge1, float x) {
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// Picture rows top first, each pixel in 0..1 floats.
struct Picture {
    std::vector<Colour> pixels = std::vector<Colour>(kSize * kSize);
    Colour& At(int x, int y) { return pixels[y * kSize + x]; }
};

// ---- deterministic noise -----------------------------------------------------------------------

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ (uint32_t)x * 0x85EBCA77u ^ (uint32_t)y * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float Random01(int x, int y, uint32_t seed) { return (Hash(x, y, seed) & 0xFFFFFF) / 16777215.0f; }

// Smooth value noise on a lattice of `cell` pixels, wrapping at `period` lattice points so that the
// bricks tile.
float ValueNoise(float x, float y, float cell, uint32_t seed, int period) {
    float fx = x / cell, fy = y / cell;
    int ix = (int)floorf(fx), iy = (int)floorf(fy);
    float tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto corner = [&](int cx, int cy) {
        if (period > 0) {
            cx = ((cx % period) + period) % period;
            cy = ((cy % period) + period) % period;
        }
        return Random01(cx, cy, seed);
    };
    float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

// Several octaves of value noise, 0..1.
float Fractal(float x, float y, float cell, uint32_t seed, int octaves) {
    float sum = 0, weight = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        int period = (int)(kSize / cell);
        sum += ValueNoise(x, y, cell, seed + o * 101, period) * weight;
        total += weight;
        weight *= 0.5f;
        cell *= 0.5f;
        if (cell < 1) break;
    }
    return sum / total;
}

// ---- BMP writer --------------------------------------------------------------------------------

void Put16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<unsigned char>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

unsigned char ToByte(float v) { return (unsigned char)lroundf(Clamp01(v) * 255.0f); }

// Uncompressed 24-bit BMP with the classic 40-byte info header, rows bottom-up, padded to 4 bytes.
bool WriteBmp(const std::string& path, Picture& picture) {
    const uint32_t rowBytes = (kSize * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * kSize;
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + dataBytes);  // file size
    Put32(out, 0);               // reserved
    Put32(out, 54);              // pixel data offset
    Put32(out, 40);              // info header size
    Put32(out, kSize);           // width
    Put32(out, kSize);           // height: positive, rows bottom-up
    Put16(out, 1);               // planes
    Put16(out, 24);              // bits per pixel
    Put32(out, 0);               // BI_RGB
    Put32(out, dataBytes);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);  // palette colours
    Put32(out, 0);  // important colours
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; ++x) {
            const Colour& c = picture.At(x, y);
            out.push_back(ToByte(c.b));
            out.push_back(ToByte(c.g));
            out.push_back(ToByte(c.r));
        }
        for (uint32_t pad = kSize * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(out.data(), 1, out.size(), file) == out.size();
    return fclose(file) == 0 && ok;
}

// ---- the landscape ("dsc3") --------------------------------------------------------------------

// Height of a ridge line (in rows from the top) at column x.
float Ridge(float x, float base, float amplitude, float cell, uint32_t seed) {
    return base - amplitude * (Fractal(x, 0, cell, seed, 4) - 0.5f) * 2;
}

void PaintLandscape(Picture& p) {
    const Colour skyTop = {0.16f, 0.33f, 0.66f}, skyLow = {0.78f, 0.80f, 0.74f};
    const float sunX = 92, sunY = 34;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            float fx = (float)x, fy = (float)y;
            // Sky: a gradient with a warm glow around the low sun and a few soft clouds.
            Colour c = Mix(skyTop, skyLow, SmoothStep(0, 70, fy));
            float d = hypotf(fx - sunX, fy - sunY);
            c = Mix(c, Colour{1.0f, 0.86f, 0.55f}, 0.55f * expf(-d / 22));
            if (d < 7.5f) c = Mix(c, Colour{1.0f, 0.97f, 0.80f}, SmoothStep(7.5f, 6, d));
            float cloud = SmoothStep(0.55f, 0.75f, Fractal(fx * 0.7f, fy * 2.2f, 32, 7, 5)) * (1 - SmoothStep(30, 55, fy));
            c = Mix(c, Colour{0.95f, 0.94f, 0.92f}, cloud * 0.8f);

            // Far hills, hazy blue-green; near hills, grassy with a lit and a shaded side.
            float far = Ridge(fx, 62, 14, 40, 11);
            if (fy > far) {
                float haze = Fractal(fx, fy, 8, 13, 3);
                c = Mix(Colour{0.38f, 0.50f, 0.55f}, Colour{0.30f, 0.44f, 0.42f}, SmoothStep(far, far + 25, fy));
                c = Scale(c, 0.92f + 0.16f * haze);
            }
            float nearRidge = Ridge(fx, 84, 12, 28, 17);
            if (fy > nearRidge) {
                float shade = Fractal(fx, fy, 24, 21, 2);  // broad light and shadow over the slopes
                float grass = Fractal(fx, fy, 6, 19, 4);
                float speck = Random01(x, y, 23);
                Colour ground = Mix(Colour{0.33f, 0.52f, 0.16f}, Colour{0.18f, 0.34f, 0.10f}, SmoothStep(nearRidge, kSize, fy));
                ground = Scale(ground, 0.75f + 0.5f * grass + 0.12f * (speck - 0.5f) + 0.3f * (shade - 0.5f));
                // A dirt track winding down the near hill.
                float track = fabsf(fx - (40 + 30 * sinf(fy * 0.07f) + (fy - 84) * 0.6f));
                float width = 1.5f + (fy - nearRidge) * 0.12f;
                if (track < width) ground = Mix(ground, Scale(Colour{0.55f, 0.45f, 0.30f}, 0.85f + 0.3f * grass), SmoothStep(width, width * 0.5f, track));
                c = ground;
            }
            // A little photographic grain everywhere.
            float grain = (Random01(x, y, 29) - 0.5f) * 0.05f;
            p.At(x, y) = {c.r + grain, c.g + grain, c.b + grain};
        }
    }
}

// ---- the three brick walls ---------------------------------------------------------------------

struct BrickWall {
    int courseHeight;  // pixels per course, mortar included
    int brickLength;   // stretcher length, mortar included
    int mortar;        // mortar joint width
    bool flemish;      // alternate headers and stretchers in every course
    Colour brick, brickDark, mortarColour;
    Colour stain;       // weathering colour (soot, moss, lime bloom)
    float stainAmount;  // 0..1
    float chipped;      // fraction of damaged bricks
    uint32_t seed;
};

void PaintBricks(Picture& p, const BrickWall& wall) {
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int course = y / wall.courseHeight;
            int inCourseY = y % wall.courseHeight;
            int offset, unitLength;
            if (wall.flemish) {
                // Header (half length) then stretcher, shifted by a quarter brick every other course.
                unitLength = wall.brickLength * 3 / 2;
                offset = (course % 2) ? wall.brickLength * 3 / 4 : 0;
            } else {
                unitLength = wall.brickLength;
                offset = (course % 2) ? wall.brickLength / 2 : 0;
            }
            int u = (x + offset) % kSize;
            int unit = u / unitLength;
            int inUnit = u % unitLength;
            int brickIndex, inBrickX, brickLength;
            if (wall.flemish) {
                int header = wall.brickLength / 2;
                if (inUnit < header) {
                    brickIndex = unit * 2;
                    inBrickX = inUnit;
                    brickLength = header;
                } else {
                    brickIndex = unit * 2 + 1;
                    inBrickX = inUnit - header;
                    brickLength = wall.brickLength;
                }
            } else {
                brickIndex = unit;
                inBrickX = inUnit;
                brickLength = wall.brickLength;
            }
            float fx = (float)x, fy = (float)y;
            float rough = Fractal(fx, fy, 16, wall.seed, 5);
            float fine = Random01(x, y, wall.seed + 1);
            // Worn mortar joints are uneven: the edge wanders with the noise.
            float edgeWobble = (rough - 0.5f) * 2.0f;
            bool inMortar = inCourseY < wall.mortar + edgeWobble * 0.6f || inBrickX < wall.mortar + edgeWobble * 0.6f;
            Colour c;
            if (inMortar) {
                c = Scale(wall.mortarColour, 0.8f + 0.35f * rough + 0.15f * (fine - 0.5f));
            } else {
                // Each brick has its own shade, and some are chipped at a corner.
                float tone = Random01(brickIndex, course, wall.seed + 2);
                c = Mix(wall.brick, wall.brickDark, tone);
                c = Scale(c, 0.82f + 0.35f * rough + 0.12f * (fine - 0.5f));
                float cx = inBrickX - wall.mortar, cy = inCourseY - wall.mortar;
                float bw = (float)(brickLength - wall.mortar), bh = (float)(wall.courseHeight - wall.mortar);
                if (Random01(brickIndex, course, wall.seed + 3) < wall.chipped) {
                    float corner = hypotf(cx - bw, cy - bh);
                    if (corner < bh * 0.45f + 3 * (rough - 0.3f)) c = Mix(Scale(c, 0.6f), wall.mortarColour, 0.4f);
                }
                // Light on the upper edge, shade on the lower one.
                if (cy < 1.5f) c = Scale(c, 1.12f);
                if (cy > bh - 1.5f) c = Scale(c, 0.80f);
            }
            // Weathering: broad stains running down the wall.
            float stain = SmoothStep(0.5f, 0.8f, Fractal(fx * 1.8f, fy * 0.6f, 32, wall.seed + 4, 4));
            c = Mix(c, wall.stain, stain * wall.stainAmount);
            p.At(x, y) = c;
        }
    }
}

// ---- the "4" -----------------------------------------------------------------------------------

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    float vx = bx - ax, vy = by - ay;
    float t = Clamp01(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy));
    return hypotf(px - (ax + t * vx), py - (ay + t * vy));
}

// True where (x, y) (0..1, y downward) lies on the figure.
bool OnFour(float x, float y) {
    bool stem = x > 0.58f && x < 0.75f && y > 0.10f && y < 0.90f;
    bool bar = x > 0.16f && x < 0.86f && y > 0.58f && y < 0.71f;
    bool diagonal = y < 0.71f && SegmentDistance(x, y, 0.665f, 0.12f, 0.22f, 0.645f) < 0.075f;
    return stem || bar || diagonal;
}

void PaintFour(Picture& p) {
    const int samples = 4;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            float fx = (float)x, fy = (float)y;
            // Ground: deep blue felt with a soft vignette.
            float felt = Fractal(fx, fy, 4, 31, 3);
            float vignette = 1 - 0.35f * SmoothStep(40, 95, hypotf(fx - 64, fy - 64));
            Colour c = Scale(Colour{0.10f, 0.20f, 0.45f}, (0.85f + 0.3f * felt) * vignette);
            // The figure, supersampled, over a drop shadow, with a thin dark outline.
            float figure = 0, shadow = 0, outline = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    float u = (x + (sx + 0.5f) / samples) / kSize, v = (y + (sy + 0.5f) / samples) / kSize;
                    figure += OnFour(u, v);
                    shadow += OnFour(u - 0.03f, v - 0.03f);
                    bool ring = false;
                    for (int k = 0; k < 8 && !ring; ++k) {
                        float a = k * 0.785398f;
                        ring = OnFour(u + 0.018f * cosf(a), v + 0.018f * sinf(a));
                    }
                    outline += ring;
                }
            }
            const float n = samples * samples;
            c = Mix(c, Colour{0.02f, 0.03f, 0.08f}, 0.6f * shadow / n);
            c = Mix(c, Colour{0.05f, 0.05f, 0.05f}, outline / n);
            Colour ink = Scale(Colour{1.0f, 0.80f, 0.18f}, 0.92f + 0.12f * Fractal(fx, fy, 8, 37, 2) - 0.15f * (fy / kSize));
            c = Mix(c, ink, figure / n);
            p.At(x, y) = c;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string root = argc > 1 ? argv[1] : ".";
    std::string folder = root + "/bmp_cube/";

    // Red-brown wall with pale lime mortar and soot stains, running bond.
    const BrickWall brickold2 = {10, 24, 2, false, {0.62f, 0.26f, 0.18f}, {0.42f, 0.16f, 0.12f},
                                 {0.72f, 0.70f, 0.64f}, {0.12f, 0.10f, 0.09f}, 0.55f, 0.12f, 41};
    // Large dark-brown bricks with dark mortar and green moss, running bond.
    const BrickWall brickold = {16, 32, 3, false, {0.40f, 0.30f, 0.22f}, {0.26f, 0.20f, 0.16f},
                                {0.20f, 0.19f, 0.17f}, {0.22f, 0.42f, 0.10f}, 0.85f, 0.25f, 53};
    // Sandy-yellow bricks in Flemish bond, grey mortar, white lime bloom.
    const BrickWall brickold3 = {8, 16, 1, true, {0.80f, 0.66f, 0.38f}, {0.62f, 0.48f, 0.26f},
                                 {0.45f, 0.44f, 0.42f}, {0.92f, 0.92f, 0.88f}, 0.50f, 0.08f, 67};

    struct Output {
        const char* name;
        Picture picture;
    } outputs[5] = {{"dsc3.bmp", {}}, {"brickold2.bmp", {}}, {"brickold.bmp", {}}, {"brickold3.bmp", {}}, {"4.bmp", {}}};
    PaintLandscape(outputs[0].picture);
    PaintBricks(outputs[1].picture, brickold2);
    PaintBricks(outputs[2].picture, brickold);
    PaintBricks(outputs[3].picture, brickold3);
    PaintFour(outputs[4].picture);

    int failures = 0;
    for (Output& output : outputs) {
        std::string path = folder + output.name;
        if (!WriteBmp(path, output.picture)) {
            fprintf(stderr, "make_textures: cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
