#pragma once

#include <GL/gl.h>

// The OpenGL 1.x entry points the layer uses, looked up through SDL once a
// context exists: the program does not link the OpenGL library, so it starts
// (and plays in software) where that library is missing.
#define D3DLAYER_GL_FUNCTIONS(X)                                                                          \
    X(GLenum, glGetError, (void))                                                                         \
    X(void, glEnable, (GLenum))                                                                           \
    X(void, glDisable, (GLenum))                                                                          \
    X(void, glBlendFunc, (GLenum, GLenum))                                                                \
    X(void, glTexEnvi, (GLenum, GLenum, GLint))                                                           \
    X(void, glTexParameteri, (GLenum, GLenum, GLint))                                                     \
    X(void, glGenTextures, (GLsizei, GLuint*))                                                            \
    X(void, glDeleteTextures, (GLsizei, const GLuint*))                                                   \
    X(void, glBindTexture, (GLenum, GLuint))                                                              \
    X(void, glTexImage2D, (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*))   \
    X(void, glTexSubImage2D, (GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*)) \
    X(void, glPixelStorei, (GLenum, GLint))                                                               \
    X(void, glBegin, (GLenum))                                                                            \
    X(void, glEnd, (void))                                                                                \
    X(void, glColor4ub, (GLubyte, GLubyte, GLubyte, GLubyte))                                             \
    X(void, glTexCoord2f, (GLfloat, GLfloat))                                                             \
    X(void, glVertex2f, (GLfloat, GLfloat))                                                               \
    X(void, glViewport, (GLint, GLint, GLsizei, GLsizei))                                                 \
    X(void, glMatrixMode, (GLenum))                                                                       \
    X(void, glLoadIdentity, (void))                                                                       \
    X(void, glOrtho, (GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble))                        \
    X(void, glClearColor, (GLclampf, GLclampf, GLclampf, GLclampf))                                       \
    X(void, glClear, (GLbitfield))                                                                        \
    X(void, glScissor, (GLint, GLint, GLsizei, GLsizei))                                                  \
    X(void, glReadBuffer, (GLenum))                                                                       \
    X(void, glReadPixels, (GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*))                        \
    X(void, glDrawPixels, (GLsizei, GLsizei, GLenum, GLenum, const void*))                                \
    X(void, glRasterPos2i, (GLint, GLint))                                                                \
    X(void, glPixelZoom, (GLfloat, GLfloat))                                                              \
    X(void, glFlush, (void))                                                                              \
    X(void, glFinish, (void))                                                                             \
    X(void, glGetIntegerv, (GLenum, GLint*))                                                              \
    X(const GLubyte*, glGetString, (GLenum))                                                              \
    X(void, glShadeModel, (GLenum))                                                                       \
    X(void, glDepthMask, (GLboolean))

struct GLFunctions
{
#define D3DLAYER_GL_MEMBER(ret, name, args) ret(*name) args = nullptr;
    D3DLAYER_GL_FUNCTIONS(D3DLAYER_GL_MEMBER)
#undef D3DLAYER_GL_MEMBER
    bool loaded = false;
};

// The entry points of the current context; false when one is missing.
bool LoadGLFunctions();
const GLFunctions& GL();
void UnloadGLFunctions();
