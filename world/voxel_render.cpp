// Drawing single voxel cells: the walls of an open cell, and the spinning flag cube.
#include "world/voxel_render.h"

#include "world/voxel_maps.h"

namespace {

// One face of a cell's cube: the normal, then four corners as texture coordinate and vertex.
struct Face {
    float normal[3];
    float corners[4][5];  // s, t, x, y, z
};

// The walls of DrawVoxelCell, in drawing order: z = 1, z = -1, y = 1, y = -1, x = 1, x = -1.
const Face kWallFaces[6] = {
    {{0, 0, 1}, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},
    {{0, 0, -1}, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},
    {{0, 1, 0}, {{0, 0, -1, 1, -1}, {0, 1, -1, 1, 1}, {1, 1, 1, 1, 1}, {1, 0, 1, 1, -1}}},
    {{0, -1, 0}, {{1, 0, -1, -1, -1}, {0, 0, 1, -1, -1}, {0, 1, 1, -1, 1}, {1, 1, -1, -1, 1}}},
    {{1, 0, 0}, {{0, 0, 1, -1, -1}, {1, 0, 1, 1, -1}, {1, 1, 1, 1, 1}, {0, 1, 1, -1, 1}}},
    {{-1, 0, 0}, {{0, 0, -1, -1, -1}, {0, 1, -1, -1, 1}, {1, 1, -1, 1, 1}, {1, 0, -1, 1, -1}}},
};

// The neighbour across each wall, as (column, row, layer) offsets: a wall faces the cell that lies
// on its side of the cell's frame (column - 1 on +x, row - 1 on +y, layer - 1 on +z).
const int kWallNeighbour[6][3] = {
    {0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0},
};

// The flag cube: the preview cube's faces with a half edge of 1.
const Face kFlagFaces[6] = {
    {{0, 0, 1}, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},
    {{0, 0, -1}, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},
    {{0, 1, 0}, {{0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}}},
    {{0, -1, 0}, {{1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}}},
    {{1, 0, 0}, {{1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, 1, 1, 1}, {0, 0, 1, -1, 1}}},
    {{-1, 0, 0}, {{0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, -1, 1, -1}}},
};

void SendFace(const Face& face) {
    glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
    for (const float* corner : face.corners) {
        glTexCoord2f(corner[0], corner[1]);
        glVertex3f(corner[2], corner[3], corner[4]);
    }
}

// The byte of a cell, or `outside` for a cell that does not lie in the map. A map loaded from a
// file may open shell cells, whose neighbours would lie beyond the map's ends.
int CellByte(const unsigned char* map, int column, int row, int layer, int outside) {
    if (column < 0 || column >= mapSize || row < 0 || row >= mapSize || layer < 0 || layer >= mapHeight) {
        return outside;
    }
    int index = CellIndex(column, row, layer);
    if (index < 0 || index >= mapSize * mapSize * mapHeight) return outside;
    return map[index];
}

}  // namespace

void DrawVoxelCell(int column, int row, int layer) {
    // A cell outside the map is not open: it sends no wall, but the bindings, the scale and the
    // three begin/end pairs are issued as for any other cell. A neighbour outside is solid rock.
    bool open = CellByte(dungeonMap, column, row, layer, 1) == 0;
    bool wall[6];
    for (int i = 0; i < 6; i++) {
        const int* d = kWallNeighbour[i];
        wall[i] = open && CellByte(dungeonMap, column + d[0], row + d[1], layer + d[2], 1) == 1;
    }

    glBindTexture(GL_TEXTURE_2D, textureIds[textureChoice]);
    glScalef(0.5f, 0.5f, 0.5f);
    glBegin(GL_QUADS);
    if (wall[0]) SendFace(kWallFaces[0]);
    glEnd();

    // The wall at z = -1 always shows the third texture.
    glBindTexture(GL_TEXTURE_2D, textureIds[2]);
    glBegin(GL_QUADS);
    if (wall[1]) SendFace(kWallFaces[1]);
    glEnd();

    glBindTexture(GL_TEXTURE_2D, textureIds[textureChoice]);
    glBegin(GL_QUADS);
    for (int i = 2; i < 6; i++) {
        if (wall[i]) SendFace(kWallFaces[i]);
    }
    glEnd();
}

void DrawFlagCube(int column, int row, int layer) {
    // A cell outside the map carries no flag.
    if (CellByte(flagMap, column, row, layer, 0) == 1) glBindTexture(GL_TEXTURE_2D, textureIds[3]);
    glScalef(0.2f, 0.2f, 0.2f);
    glRotatef((float)frameCounter, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    for (const Face& face : kFlagFaces) SendFace(face);
    glEnd();
}
