// SDL's video subsystem, started on the first call that needs a window, a screen or a context.
#include "platform/internal.h"

#include <string.h>

namespace {

enum class VideoState { NotStarted, Ready, Failed };
VideoState videoState = VideoState::NotStarted;
bool videoIsX11 = false;

}  // namespace

bool EnsureVideo() {
    if (videoState == VideoState::Ready) return true;
    if (videoState == VideoState::Failed) return false;

    SDL_SetMainReady();
    // Signals are the program's business (entry.cpp turns SIGINT/SIGTERM into WM_CLOSE); tests that
    // never pump events must stay killable.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Closing a window is a message to its procedure, never a quit of its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A window that loses the focus stays as it is, as a Win32 window does.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Mouse moves keep coming while a button is held outside the window.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");

    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        videoState = VideoState::Failed;
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    videoIsX11 = driver && strcmp(driver, "x11") == 0;

    // Every window can carry the layer's one pixel format: 8 bits a channel RGBA, double-buffered,
    // 24-bit depth. A compatibility (not core) context, so the fixed-function pipeline is there.
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);

    // Characters come from TranslateMessage, not from SDL's text input.
    SDL_StopTextInput();
    videoState = VideoState::Ready;
    // ShowCursor may have been called before there was a display.
    SDL_ShowCursor(CursorDisplayCount() >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return true;
}

bool VideoReady() { return videoState == VideoState::Ready; }
bool VideoIsX11() { return videoState == VideoState::Ready && videoIsX11; }
