// mesh.h: the four geometry builders every model is made of, emitted in immediate mode.
#pragma once

// A solid box of edge lengths sx, sy, sz centred on the origin.
void drawBox(float sx, float sy, float sz);

// A capped frustum standing on the origin along +y, from y = 0 to y = height.
void drawCylinder(float bottomRadius, float topRadius, float height, int slices);

// A sphere centred on the origin; nothing at all for stacks < 1.
void drawSphere(float radius, int slices, int stacks);

// A horizontal rectangle at height y spanning x1..x2 and z1..z2, with no normal of its own.
void drawQuad(float x1, float y, float z1, float x2, float z2);
