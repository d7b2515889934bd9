#pragma once
// A texture and its display list, deleted together in the current context.
#include <qopengl.h>

namespace surface {

inline void DeleteNames(GLuint& texture, GLuint& list) {
    if (texture)
        glDeleteTextures(1, &texture);
    if (list)
        glDeleteLists(list, 1);
    texture = list = 0;
}

} // namespace surface
