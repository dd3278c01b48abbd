#include "app/program_state.h"

bool isActive = true;
bool fullscreenFlag = true;
float cubeHalfSize = 1.0f;
float lightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
float lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float lightPosition[4] = {0.0f, 0.0f, 2.0f, 1.0f};
int textureChoice = 1;
int zoomFactor = 3;
int stepValue = 18;

HDC windowDC = nullptr;
HGLRC glContext = nullptr;
HWND mainWindow = nullptr;
HINSTANCE appInstance = nullptr;

bool keyDown[256] = {};
int mouseX = 0;
int mouseY = 0;
int mouseButtons[3] = {0, 0, 0};

float spinX = 0.0f;
float spinY = 0.0f;
float spinSpeedX = 0.0f;
float spinSpeedY = 0.0f;
GLuint textureIds[kTextureCount] = {};
int frameCounter = 0;
TextureImage* textureImages = nullptr;

unsigned char* screenPixels = nullptr;
unsigned char* readbackPixels = nullptr;
unsigned char* backdropPixels = nullptr;

char textBuffer[kTextBufferSize] = {};
int penX = 0;
int glyphIndex = 0;
int glyphWidth = 0;

int mapSize = 200;
int mapHeight = 200;
int layerSize = mapSize * mapSize;  // dynamic initialisation, before WinMain runs
unsigned char* dungeonMap = nullptr;
unsigned char* flagMap = nullptr;
