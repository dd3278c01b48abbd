// dungeon_view: renders a view from inside the carved dungeon into a PNG file.
//
// It builds the dungeon as the program does at start (all rock, then CarveRooms(100000)), opens an
// offscreen window with the program's own display code, loads the five cube textures, and draws the
// open cells around a viewpoint with DrawVoxelCell (and DrawFlagCube for flagged cells when a map
// file is loaded). Run it from the folder that holds bmp_cube/ (and map/ for --map).
//
//   dungeon_view [--cell COLUMN ROW LAYER] [--map NUMBER] [--size WIDTH HEIGHT] [--out FILE.png]
//
// Without --cell it stands in the most open spot of the dungeon (the first open cell with the most
// open cells around it) and looks along the longest open run.
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "app/display_window.h"
#include "app/program_state.h"
#include "scene/texture_images.h"
#include "screen/screen_buffer.h"
#include "world/map_store.h"
#include "world/voxel_maps.h"
#include "world/voxel_render.h"

namespace {

const int kViewRadius = 18;  // cells drawn around the viewpoint on each axis
const int kRoomRadius = 3;   // the neighbourhood that rates how open a spot is

bool IsOpen(int c, int r, int l) {
    if (c < 0 || r < 0 || l < 0 || c >= mapSize || r >= mapSize || l >= mapHeight) return false;
    return dungeonMap[CellIndex(c, r, l)] == 0;
}

// The open cell with the most open cells within kRoomRadius, first in index order among equals,
// counted through a summed-volume table.
bool FindLargeRoom(int* column, int* row, int* layer) {
    const int s = mapSize + 1, h = mapHeight + 1;
    std::vector<int> sum((size_t)s * s * h, 0);
    auto at = [&](int c, int r, int l) -> int& { return sum[((size_t)l * s + r) * s + c]; };
    for (int l = 1; l < h; l++)
        for (int r = 1; r < s; r++)
            for (int c = 1; c < s; c++) {
                at(c, r, l) = (IsOpen(c - 1, r - 1, l - 1) ? 1 : 0) + at(c - 1, r, l) + at(c, r - 1, l) +
                              at(c, r, l - 1) - at(c - 1, r - 1, l) - at(c - 1, r, l - 1) - at(c, r - 1, l - 1) +
                              at(c - 1, r - 1, l - 1);
            }
    auto clampTo = [](int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); };
    int best = -1;
    for (int l = 0; l < mapHeight; l++)
        for (int r = 0; r < mapSize; r++)
            for (int c = 0; c < mapSize; c++) {
                if (!IsOpen(c, r, l)) continue;
                int c0 = clampTo(c - kRoomRadius, mapSize), c1 = clampTo(c + kRoomRadius + 1, mapSize);
                int r0 = clampTo(r - kRoomRadius, mapSize), r1 = clampTo(r + kRoomRadius + 1, mapSize);
                int l0 = clampTo(l - kRoomRadius, mapHeight), l1 = clampTo(l + kRoomRadius + 1, mapHeight);
                int open = at(c1, r1, l1) - at(c0, r1, l1) - at(c1, r0, l1) - at(c1, r1, l0) + at(c0, r0, l1) +
                           at(c0, r1, l0) + at(c1, r0, l0) - at(c0, r0, l0);
                if (open > best) best = open, *column = c, *row = r, *layer = l;
            }
    return best > 0;
}

int OpenRun(int c, int r, int l, int dc, int dr) {
    int run = 0;
    while (IsOpen(c + dc * (run + 1), r + dr * (run + 1), l)) run++;
    return run;
}

bool WritePng(const char* path, int width, int height, const std::vector<unsigned char>& rgb) {
    FILE* file = fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; y--) {  // OpenGL rows run bottom-up
        png_write_row(png, (png_const_bytep)&rgb[(size_t)y * width * 3]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

int Usage() {
    fprintf(stderr, "usage: dungeon_view [--cell COLUMN ROW LAYER] [--map NUMBER] [--size W H] [--out FILE.png]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int column = -1, row = -1, layer = -1, mapNumber = 0, width = 640, height = 480;
    bool haveCell = false, haveMap = false;
    const char* out = "dungeon-view.png";
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--cell") && i + 3 < argc) {
            column = atoi(argv[++i]), row = atoi(argv[++i]), layer = atoi(argv[++i]);
            haveCell = true;
        } else if (!strcmp(argv[i], "--map") && i + 1 < argc) {
            mapNumber = atoi(argv[++i]);
            haveMap = true;
        } else if (!strcmp(argv[i], "--size") && i + 2 < argc) {
            width = atoi(argv[++i]), height = atoi(argv[++i]);
        } else if (!strcmp(argv[i], "--out") && i + 1 < argc) {
            out = argv[++i];
        } else {
            return Usage();
        }
    }
    if (width < 16 || height < 16 || width > 4096 || height > 4096) return Usage();
    setenv("SDL_VIDEODRIVER", "offscreen", 0);

    // The dungeon, as at start-up.
    const size_t cells = (size_t)mapSize * mapSize * mapHeight;
    dungeonMap = (unsigned char*)malloc(cells);
    flagMap = (unsigned char*)malloc(cells);
    if (!dungeonMap || !flagMap) return 1;
    memset(dungeonMap, 1, cells);
    memset(flagMap, 0, cells);
    CarveRooms(100000);

    textureImages = new TextureImage[kTextureImageSlots]();
    for (int slot = 0; slot < kTextureCount; slot++) {
        if (!LoadBitmapImage(textureFilePaths[slot], slot)) fprintf(stderr, "no texture %s\n", textureFilePaths[slot]);
    }
    zoomFactor = 1;
    if (!OpenDisplayWindow("DUD dungeon view", width, height, 32, false)) {
        fprintf(stderr, "cannot open an OpenGL window\n");
        return 1;
    }
    InitScreenBuffers();  // the map store's progress screens draw into them
    if (haveMap) {
        int result = LoadMapFile(mapNumber);
        if (result != 1) fprintf(stderr, "map %d not loaded (%d)\n", mapNumber, result);
    }

    if (!haveCell && !FindLargeRoom(&column, &row, &layer)) {
        fprintf(stderr, "no open cell\n");
        return 1;
    }
    if (!IsOpen(column, row, layer)) fprintf(stderr, "note: cell %d %d %d is not open\n", column, row, layer);

    // Look along the longest open run in the layer. In the drawing frame a cell sits at
    // (-column, -row, -layer): column + 1 lies towards -x, row + 1 towards -y, and the layer
    // below (layer + 1, the wall with the floor texture) towards -z, so +z is up.
    const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    int bestDir = 0, bestRun = -1;
    for (int d = 0; d < 4; d++) {
        int run = OpenRun(column, row, layer, dirs[d][0], dirs[d][1]);
        if (run > bestRun) bestRun = run, bestDir = d;
    }
    const int dc = dirs[bestDir][0], dr = dirs[bestDir][1];
    // Step back against the view as far as the room allows (up to two cells) to see more of it.
    int back = OpenRun(column, row, layer, -dc, -dr);
    back = back > 2 ? 2 : back;
    const float eyeX = dc * (back + 0.45f), eyeY = dr * (back + 0.45f);
    printf("viewpoint: column %d, row %d, layer %d; looking towards column %+d, row %+d (%d open cells)\n", column,
           row, layer, dc, dr, bestRun);

    // The whole window (a map load's progress screens leave the frame's own viewport behind).
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70.0, (double)width / height, 0.05, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The eye, in the frame where the viewpoint cell is at the origin; looking slightly down.
    gluLookAt(eyeX, eyeY, 0.1, eyeX - dc * 4.0, eyeY - dr * 4.0, -0.6, 0, 0, 1);

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    // Distance fades to black, so that depth reads at a glance (lighting stays off, as in the program).
    const float fogColour[4] = {0, 0, 0, 1};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, (float)kViewRadius);
    glFogfv(GL_FOG_COLOR, fogColour);

    int walls = 0, flags = 0;
    for (int l = layer - kViewRadius; l <= layer + kViewRadius; l++)
        for (int r = row - kViewRadius; r <= row + kViewRadius; r++)
            for (int c = column - kViewRadius; c <= column + kViewRadius; c++) {
                if (!IsOpen(c, r, l)) continue;
                glPushMatrix();
                glTranslatef((float)(column - c), (float)(row - r), (float)(layer - l));
                DrawVoxelCell(c, r, l);
                glPopMatrix();
                walls++;
                if (haveMap && flagMap[CellIndex(c, r, l)] == 1) {
                    glPushMatrix();
                    glTranslatef((float)(column - c), (float)(row - r), (float)(layer - l));
                    DrawFlagCube(c, r, l);
                    glPopMatrix();
                    flags++;
                }
            }

    std::vector<unsigned char> rgb((size_t)width * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    CloseDisplayWindow();
    if (!WritePng(out, width, height, rgb)) {
        fprintf(stderr, "cannot write %s\n", out);
        return 1;
    }
    printf("%d open cells drawn, %d flag cubes; wrote %s\n", walls, flags, out);
    return 0;
}
