#pragma once

// The few OpenGL enumerants that engine users pass around; there is no OpenGL
// underneath, so only their values matter.
#ifndef GL_LINEAR
#define GL_NEAREST 0x2600
#define GL_LINEAR 0x2601
#define GL_REPEAT 0x2901
#define GL_CLAMP_TO_EDGE 0x812F
#define GL_MIRRORED_REPEAT 0x8370
#define GL_SCISSOR_BOX 0x0C10
#define GL_SCISSOR_TEST 0x0C11
#endif
