#include "math/Mat4.h"

#include <cmath>
#include <cstring>

namespace cocos2d {

namespace {
const float identityValues[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const float zeroValues[16] = {0};
} // namespace

const Mat4 Mat4::IDENTITY(identityValues);
const Mat4 Mat4::ZERO(zeroValues);

Mat4::Mat4() { std::memcpy(m, identityValues, sizeof(m)); }

Mat4::Mat4(const float* values) { std::memcpy(m, values, sizeof(m)); }

Mat4 Mat4::createTranslation(float x, float y, float z)
{
    Mat4 r;
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Mat4 Mat4::createScale(float sx, float sy, float sz)
{
    Mat4 r;
    r.m[0] = sx;
    r.m[5] = sy;
    r.m[10] = sz;
    return r;
}

Mat4 Mat4::createRotationZ(float angle)
{
    Mat4 r;
    float c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    return r;
}

void Mat4::multiply(const Mat4& a, const Mat4& b, Mat4* dst)
{
    float out[16];
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[col * 4 + k];
            out[col * 4 + row] = sum;
        }
    }
    std::memcpy(dst->m, out, sizeof(out));
}

Mat4 Mat4::operator*(const Mat4& other) const
{
    Mat4 r;
    multiply(*this, other, &r);
    return r;
}

Mat4& Mat4::operator*=(const Mat4& other)
{
    multiply(*this, other, this);
    return *this;
}

bool Mat4::operator==(const Mat4& other) const { return std::memcmp(m, other.m, sizeof(m)) == 0; }

namespace {
// The twelve 2x2 minors of the upper and lower half, shared by the
// determinant and the inverse.
struct Minors {
    float a0, a1, a2, a3, a4, a5, b0, b1, b2, b3, b4, b5;
    explicit Minors(const float* m)
        : a0(m[0] * m[5] - m[1] * m[4]), a1(m[0] * m[6] - m[2] * m[4]), a2(m[0] * m[7] - m[3] * m[4]),
          a3(m[1] * m[6] - m[2] * m[5]), a4(m[1] * m[7] - m[3] * m[5]), a5(m[2] * m[7] - m[3] * m[6]),
          b0(m[8] * m[13] - m[9] * m[12]), b1(m[8] * m[14] - m[10] * m[12]), b2(m[8] * m[15] - m[11] * m[12]),
          b3(m[9] * m[14] - m[10] * m[13]), b4(m[9] * m[15] - m[11] * m[13]), b5(m[10] * m[15] - m[11] * m[14])
    {
    }
    float determinant() const { return a0 * b5 - a1 * b4 + a2 * b3 + a3 * b2 - a4 * b1 + a5 * b0; }
};
} // namespace

float Mat4::determinant() const { return Minors(m).determinant(); }

bool Mat4::inverse()
{
    const Minors n(m);
    const float a0 = n.a0, a1 = n.a1, a2 = n.a2, a3 = n.a3, a4 = n.a4, a5 = n.a5;
    const float b0 = n.b0, b1 = n.b1, b2 = n.b2, b3 = n.b3, b4 = n.b4, b5 = n.b5;
    float det = n.determinant();
    if (std::fabs(det) <= 2e-37f || !std::isfinite(det)) {
        return false;
    }
    float inv[16];
    inv[0] = m[5] * b5 - m[6] * b4 + m[7] * b3;
    inv[1] = -m[1] * b5 + m[2] * b4 - m[3] * b3;
    inv[2] = m[13] * a5 - m[14] * a4 + m[15] * a3;
    inv[3] = -m[9] * a5 + m[10] * a4 - m[11] * a3;
    inv[4] = -m[4] * b5 + m[6] * b2 - m[7] * b1;
    inv[5] = m[0] * b5 - m[2] * b2 + m[3] * b1;
    inv[6] = -m[12] * a5 + m[14] * a2 - m[15] * a1;
    inv[7] = m[8] * a5 - m[10] * a2 + m[11] * a1;
    inv[8] = m[4] * b4 - m[5] * b2 + m[7] * b0;
    inv[9] = -m[0] * b4 + m[1] * b2 - m[3] * b0;
    inv[10] = m[12] * a4 - m[13] * a2 + m[15] * a0;
    inv[11] = -m[8] * a4 + m[9] * a2 - m[11] * a0;
    inv[12] = -m[4] * b3 + m[5] * b1 - m[6] * b0;
    inv[13] = m[0] * b3 - m[1] * b1 + m[2] * b0;
    inv[14] = -m[12] * a3 + m[13] * a1 - m[14] * a0;
    inv[15] = m[8] * a3 - m[9] * a1 + m[10] * a0;
    float invDet = 1.0f / det;
    for (int i = 0; i < 16; ++i) m[i] = inv[i] * invDet;
    return true;
}

Mat4 Mat4::getInversed() const
{
    Mat4 r(*this);
    r.inverse();
    return r;
}

bool Mat4::isIdentity() const { return std::memcmp(m, identityValues, sizeof(m)) == 0; }

void Mat4::setIdentity() { std::memcpy(m, identityValues, sizeof(m)); }

void Mat4::translate(float x, float y, float z) { *this *= createTranslation(x, y, z); }

void Mat4::scale(float sx, float sy, float sz) { *this *= createScale(sx, sy, sz); }

void Mat4::rotateZ(float angle) { *this *= createRotationZ(angle); }

void Mat4::transformPoint(Vec3* point) const { transformVector(point->x, point->y, point->z, 1.0f, point); }

void Mat4::transformPoint(const Vec3& point, Vec3* dst) const
{
    transformVector(point.x, point.y, point.z, 1.0f, dst);
}

void Mat4::transformVector(float x, float y, float z, float w, Vec3* dst) const
{
    float rx = x * m[0] + y * m[4] + z * m[8] + w * m[12];
    float ry = x * m[1] + y * m[5] + z * m[9] + w * m[13];
    float rz = x * m[2] + y * m[6] + z * m[10] + w * m[14];
    dst->x = rx;
    dst->y = ry;
    dst->z = rz;
}

Vec2 Mat4::transformPoint(const Vec2& point) const
{
    return Vec2(point.x * m[0] + point.y * m[4] + m[12], point.x * m[1] + point.y * m[5] + m[13]);
}

} // namespace cocos2d
