/* Counts the frames the program shows, for the soak: preloaded into it, it wraps SDL's buffer swap
 * and adds one to a counter in the file named by DUD_SOAK_SWAP_FILE (8 bytes, shared with the soak
 * test through mmap) at every swap. Built and used by scripts/soak.sh only. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

typedef struct SDL_Window SDL_Window;

static volatile unsigned long long* counter;

static void OpenCounter(void) {
    const char* path = getenv("DUD_SOAK_SWAP_FILE");
    if (!path || !*path) return;
    int fd = open(path, O_RDWR);
    if (fd < 0) return;
    void* p = mmap(NULL, sizeof(unsigned long long), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p != MAP_FAILED) counter = (volatile unsigned long long*)p;
}

void SDL_GL_SwapWindow(SDL_Window* window) {
    static void (*real)(SDL_Window*);
    static int opened;
    if (!real) real = (void (*)(SDL_Window*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (!opened) opened = 1, OpenCounter();
    if (counter) __atomic_add_fetch(counter, 1, __ATOMIC_RELAXED);
    if (real) real(window);
}
