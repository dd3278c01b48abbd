/* Preloaded into the sanitizer build's tests (scripts/test.sh) and the soak: dlclose keeps every
 * library loaded. The GL drivers that SDL and Mesa open at run time keep their working memory in
 * their own globals; once such a library is unloaded at shutdown, LeakSanitizer can no longer see
 * those globals and reports the memory they held as leaked, with frames in "<unknown module>".
 * Kept loaded, that memory stays reachable, and every report left is one that can be traced. The
 * program's own allocations are checked as before. */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
