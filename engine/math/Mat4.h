#pragma once

#include "math/Vec2.h"

namespace cocos2d {

// Column-major 4x4 matrix as the engine keeps node transforms; m[12], m[13]
// hold the translation.
class Mat4 {
public:
    float m[16];

    Mat4();
    explicit Mat4(const float* values);

    static Mat4 createTranslation(float x, float y, float z);
    static Mat4 createScale(float sx, float sy, float sz);
    // Counter-clockwise by angle radians around the z axis.
    static Mat4 createRotationZ(float angle);
    static void multiply(const Mat4& a, const Mat4& b, Mat4* dst);

    Mat4 operator*(const Mat4& other) const;
    Mat4& operator*=(const Mat4& other);
    bool operator==(const Mat4& other) const;

    float determinant() const;
    // A singular matrix (a zoom of 0) leaves *this unchanged and returns false.
    bool inverse();
    Mat4 getInversed() const;
    bool isIdentity() const;
    void setIdentity();
    void translate(float x, float y, float z);
    void scale(float sx, float sy, float sz);
    void rotateZ(float angle);

    void transformPoint(Vec3* point) const;
    void transformPoint(const Vec3& point, Vec3* dst) const;
    void transformVector(float x, float y, float z, float w, Vec3* dst) const;
    Vec2 transformPoint(const Vec2& point) const;

    static const Mat4 IDENTITY;
    static const Mat4 ZERO;
};

} // namespace cocos2d
