/* A stand-in zip engine for the library check: answers the version values it was built with. */
#include <string.h>

#ifndef NO_QUERY
__attribute__((visibility("default"))) const char* ZpVersionValue(const char* name) {
    if (strcmp(name, "CompanyName") == 0)
        return COMPANY;
    if (strcmp(name, "FileVersion") == 0)
        return VERSION;
    return 0;
}
#else
__attribute__((visibility("default"))) int ZpInit(void) {
    return 1;
}
#endif
