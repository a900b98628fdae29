// SPDX-License-Identifier: MIT
/*
 * Resources of a library we load at run time.
 *
 * A Windows library carries its string table and its bitmaps in a resource
 * section that the loader reads with LoadString and LoadBitmap. A shared
 * object has no such section, so every library that offers resources exports
 * the two functions below instead, and velnet::platform::DynamicLibrary reads
 * them through these names.
 *
 * Plain C, so that a library in any language can offer them.
 */
#ifndef VELNET_PLATFORM_LIBRARY_RESOURCES_H
#define VELNET_PLATFORM_LIBRARY_RESOURCES_H

#include <stdint.h>

#if defined(_WIN32)
#define VELNET_CALL __stdcall
#define VELNET_EXPORT __declspec(dllexport)
#else
#define VELNET_CALL
#define VELNET_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * ResourceString: the string resource `id`, as LoadStringA gives it.
 * Copies at most bufferSize - 1 bytes of the text into `buffer` and ends them
 * with a NUL; returns the number of bytes copied, not counting the NUL.
 * Returns 0 when the library has no string with that id (or it is empty).
 * Callers do not trust the NUL: they end the buffer themselves after the call.
 */
typedef int32_t(VELNET_CALL* ResourceStringFn)(uint32_t id, char* buffer, int32_t bufferSize);

/*
 * ResourceBitmap: the bitmap resource `name` (a NUL-terminated resource name,
 * "#123" for a numbered one). On success stores in *bytes a pointer to the
 * encoded image (PNG) and in *size its length, and returns nonzero. The bytes
 * belong to the library and stay valid while it is loaded; callers copy them.
 * Returns 0 when there is no such bitmap.
 */
typedef int32_t(VELNET_CALL* ResourceBitmapFn)(const char* name, const unsigned char** bytes,
                                               uint32_t* size);

#define VELNET_RESOURCE_STRING_SYMBOL "ResourceString"
#define VELNET_RESOURCE_BITMAP_SYMBOL "ResourceBitmap"

#ifdef __cplusplus
}
#endif

#endif
