#include "FailureShake.h"

USING_NS_CC;

Sequence* failureShake(const Vec2& home)
{
    // The final MoveTo, not the sum of the nods, puts the node back, so a
    // shake that starts while another still runs ends at home as well.
    return Sequence::create(MoveBy::create(0.02f, Vec2(0, 5)), RotateTo::create(0, 1),
                            MoveBy::create(0.05f, Vec2(0, -5)), RotateTo::create(0, -1),
                            MoveBy::create(0.05f, Vec2(0, 4)), RotateTo::create(0, 1),
                            MoveBy::create(0.05f, Vec2(0, -4)), RotateTo::create(0, -1),
                            MoveBy::create(0.05f, Vec2(0, 2)), RotateTo::create(0, 1),
                            MoveBy::create(0.05f, Vec2(0, -2)), RotateTo::create(0, -1),
                            MoveTo::create(0.02f, home), RotateTo::create(0.05f, 0), nullptr);
}
