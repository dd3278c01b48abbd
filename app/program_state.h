// Every global setting and handle of the program, in one place. Initial values live in
// program_state.cpp; everything else reads and writes them through this header.
#pragma once

#include "platform/win32.h"

struct TextureImage;  // scene/texture_images.h

// Screen geometry shared by the screen, the scene and the map store.
enum {
    kScreenWidth = 320,
    kScreenHeight = 240,
    kScreenPixelCount = kScreenWidth * kScreenHeight,  // 76,800
    kMaxZoom = 4,
    kScreenBufferBytes = kScreenWidth * kMaxZoom * kScreenHeight * kMaxZoom * 4,  // 4,915,200
    kTextureImageSlots = 100,
    kTextureCount = 5,
    kTextBufferSize = 260,
};

// Application shell
extern bool isActive;        // window not minimised; frames are composed only while true
extern bool fullscreenFlag;  // handed to every OpenDisplayWindow, stored back; nothing else reads it
extern float cubeHalfSize;   // 1.0 ... 2.5
extern float lightAmbient[4];
extern float lightDiffuse[4];
extern float lightPosition[4];
extern int textureChoice;  // 0 ... 4, index into textureIds
extern int zoomFactor;     // 1 ... 4
extern int stepValue;      // 1 ... 60, kept by [ and ]

extern HDC windowDC;
extern HGLRC glContext;
extern HWND mainWindow;
extern HINSTANCE appInstance;

// Input state
extern bool keyDown[256];
extern int mouseX;
extern int mouseY;
extern int mouseButtons[3];  // left, middle, right

// Scene
extern float spinX;
extern float spinY;
extern float spinSpeedX;
extern float spinSpeedY;
extern GLuint textureIds[kTextureCount];
extern int frameCounter;
extern TextureImage* textureImages;  // kTextureImageSlots records

// Software screen
extern unsigned char* screenPixels;    // RGBA, rows bottom-up
extern unsigned char* readbackPixels;  // RGB, rows bottom-up
extern unsigned char* backdropPixels;  // RGBA, rows bottom-up

// Text drawing state
extern char textBuffer[kTextBufferSize];
extern int penX;
extern int glyphIndex;
extern int glyphWidth;

// Dungeon world
extern int mapSize;    // columns and rows
extern int mapHeight;  // layers
extern int layerSize;  // mapSize * mapSize, fixed at static initialisation
extern unsigned char* dungeonMap;  // 1 solid, 0 open
extern unsigned char* flagMap;     // 1 flagged
