#pragma once

#include <cstdint>
#include <vector>

#include "2d/CCAction.h"
#include "base/CCVector.h"
#include "math/Vec2.h"

namespace cocos2d {

class Node;

// An action that runs for a fixed time. Its clock starts on the first step:
// that frame counts as the start, whatever dt the frame carried.
class ActionInterval : public FiniteTimeAction {
public:
    float getElapsed() const { return static_cast<float>(_elapsed); }

    bool isDone() const override;
    void step(float dt) override;
    void startWithTarget(Node* target) override;

    ActionInterval* clone() const override = 0;
    ActionInterval* reverse() const override = 0;

    bool initWithDuration(float duration);

protected:
    ActionInterval() = default;
    ~ActionInterval() override = default;

    // Seconds since the first step. Kept in double so that long chains of
    // 1/60 s frames land on the exact frame an action is due.
    double _elapsed = 0.0;
    bool _firstTick = true;

private:
    // Restarts the clock with time carried over from the previous cycle.
    void restartAfter(Node* target, double carriedTime);
    friend class RepeatForever;
};

// Runs its actions one after another. Each finishes with update(1) before the
// next starts, also when a single frame crosses one or more boundaries, so
// instant actions inside fire exactly once, in order, in the frame they are due.
class Sequence : public ActionInterval {
public:
    // The list ends with nullptr, as in Sequence::create(a, b, c, nullptr).
    template <class... Rest>
    static Sequence* create(FiniteTimeAction* first, Rest... rest)
    {
        const std::vector<FiniteTimeAction*> list{first, static_cast<FiniteTimeAction*>(rest)...};
        return createUntilNull(list);
    }
    static Sequence* create(const Vector<FiniteTimeAction*>& arrayOfActions);
    static Sequence* createWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo);

    Sequence* clone() const override;
    Sequence* reverse() const override;
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;

    bool init(const Vector<FiniteTimeAction*>& arrayOfActions);
    bool initWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo);

protected:
    Sequence() = default;
    ~Sequence() override = default;

private:
    static Sequence* createUntilNull(const std::vector<FiniteTimeAction*>& list);
    void finish(int index);
    double localTime(int index, double now) const;

    Vector<FiniteTimeAction*> _actions;
    std::vector<double> _ends; // seconds from the start at which each action ends
    int _last = -1;            // the action updated last, -1 before the first update
};

// Runs its actions side by side; the Spawn lasts as long as the longest, and
// each shorter one finishes with update(1) when its own time is up.
class Spawn : public ActionInterval {
public:
    template <class... Rest>
    static Spawn* create(FiniteTimeAction* first, Rest... rest)
    {
        const std::vector<FiniteTimeAction*> list{first, static_cast<FiniteTimeAction*>(rest)...};
        return createUntilNull(list);
    }
    static Spawn* create(const Vector<FiniteTimeAction*>& arrayOfActions);
    static Spawn* createWithTwoActions(FiniteTimeAction* action1, FiniteTimeAction* action2);

    Spawn* clone() const override;
    Spawn* reverse() const override;
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;

    bool init(const Vector<FiniteTimeAction*>& arrayOfActions);
    bool initWithTwoActions(FiniteTimeAction* action1, FiniteTimeAction* action2);

protected:
    Spawn() = default;
    ~Spawn() override = default;

private:
    static Spawn* createUntilNull(const std::vector<FiniteTimeAction*>& list);

    Vector<FiniteTimeAction*> _actions;
    std::vector<bool> _finished;
};

// Repeats its action until removed. Time that overshoots the end of one cycle
// is carried into the next, so the period stays exact whatever the frame rate.
class RepeatForever : public ActionInterval {
public:
    static RepeatForever* create(ActionInterval* action);

    ActionInterval* getInnerAction() { return _innerAction; }
    void setInnerAction(ActionInterval* action);

    RepeatForever* clone() const override;
    RepeatForever* reverse() const override;
    bool isDone() const override { return false; }
    void startWithTarget(Node* target) override;
    void stop() override;
    void step(float dt) override;
    void update(float time) override {}

    bool initWithAction(ActionInterval* action);

protected:
    RepeatForever() = default;
    ~RepeatForever() override;

private:
    ActionInterval* _innerAction = nullptr;
};

// Moves by a delta. Each frame it adds only the movement since its previous
// frame, so it composes with whatever else moves the node at the same time
// (other MoveBys, a drag): a shake on a node that is also sliding still slides.
class MoveBy : public ActionInterval {
public:
    static MoveBy* create(float duration, const Vec2& deltaPosition);

    MoveBy* clone() const override;
    MoveBy* reverse() const override;
    void startWithTarget(Node* target) override;
    void update(float time) override;

    bool initWithDuration(float duration, const Vec2& deltaPosition);

protected:
    MoveBy() = default;
    ~MoveBy() override = default;

    Vec2 _positionDelta;
    Vec2 _startPosition;
    Vec2 _previousPosition;
};

// Moves to a position from wherever the node is when the action starts. It
// sets the position outright every frame instead of adding to it, so when two
// run at once the one added later wins rather than the moves adding up.
class MoveTo : public MoveBy {
public:
    static MoveTo* create(float duration, const Vec2& position);

    MoveTo* clone() const override;
    MoveTo* reverse() const override;
    void startWithTarget(Node* target) override;
    void update(float time) override;

    bool initWithDuration(float duration, const Vec2& position);

protected:
    MoveTo() = default;
    ~MoveTo() override = default;

    Vec2 _endPosition;
};

// Turns to an angle the shorter way round.
class RotateTo : public ActionInterval {
public:
    static RotateTo* create(float duration, float dstAngle);

    RotateTo* clone() const override;
    RotateTo* reverse() const override;
    void startWithTarget(Node* target) override;
    void update(float time) override;

    bool initWithDuration(float duration, float dstAngle);

protected:
    RotateTo() = default;
    ~RotateTo() override = default;

    float _dstAngle = 0.0f;
    float _startAngle = 0.0f;
    float _diffAngle = 0.0f;
};

class RotateBy : public ActionInterval {
public:
    static RotateBy* create(float duration, float deltaAngle);

    RotateBy* clone() const override;
    RotateBy* reverse() const override;
    void startWithTarget(Node* target) override;
    void update(float time) override;

    bool initWithDuration(float duration, float deltaAngle);

protected:
    RotateBy() = default;
    ~RotateBy() override = default;

    float _deltaAngle = 0.0f;
    float _startAngle = 0.0f;
};

class ScaleTo : public ActionInterval {
public:
    static ScaleTo* create(float duration, float scale);
    static ScaleTo* create(float duration, float scaleX, float scaleY);

    ScaleTo* clone() const override;
    ScaleTo* reverse() const override;
    void startWithTarget(Node* target) override;
    void update(float time) override;

    bool initWithDuration(float duration, float scaleX, float scaleY);

protected:
    ScaleTo() = default;
    ~ScaleTo() override = default;

    float _startScaleX = 1.0f;
    float _startScaleY = 1.0f;
    float _endScaleX = 1.0f;
    float _endScaleY = 1.0f;
    float _deltaX = 0.0f;
    float _deltaY = 0.0f;
};

// Multiplies the scale the node has when the action starts.
class ScaleBy : public ScaleTo {
public:
    static ScaleBy* create(float duration, float scale);
    static ScaleBy* create(float duration, float scaleX, float scaleY);

    ScaleBy* clone() const override;
    ScaleBy* reverse() const override;
    void startWithTarget(Node* target) override;

protected:
    ScaleBy() = default;
    ~ScaleBy() override = default;
};

// Fades from the opacity the node has when the action starts, so a fade that
// interrupts another continues from wherever that one had got to.
class FadeTo : public ActionInterval {
public:
    static FadeTo* create(float duration, uint8_t opacity);

    FadeTo* clone() const override;
    FadeTo* reverse() const override;
    void startWithTarget(Node* target) override;
    void update(float time) override;

    bool initWithDuration(float duration, uint8_t opacity);

protected:
    FadeTo() = default;
    ~FadeTo() override = default;

    uint8_t _toOpacity = 0;
    uint8_t _fromOpacity = 0;
};

class FadeIn : public FadeTo {
public:
    static FadeIn* create(float duration);

    FadeIn* clone() const override;
    FadeTo* reverse() const override;

protected:
    FadeIn() = default;
    ~FadeIn() override = default;
};

class FadeOut : public FadeTo {
public:
    static FadeOut* create(float duration);

    FadeOut* clone() const override;
    FadeTo* reverse() const override;

protected:
    FadeOut() = default;
    ~FadeOut() override = default;
};

class DelayTime : public ActionInterval {
public:
    static DelayTime* create(float duration);

    DelayTime* clone() const override;
    DelayTime* reverse() const override;
    void update(float time) override {}

protected:
    DelayTime() = default;
    ~DelayTime() override = default;
};

// Runs an action on another node as part of this node's actions, so a
// Sequence or Spawn can drive several nodes in step.
class TargetedAction : public ActionInterval {
public:
    static TargetedAction* create(Node* target, FiniteTimeAction* action);

    void setForcedTarget(Node* forcedTarget);
    Node* getForcedTarget() { return _forcedTarget; }
    const Node* getForcedTarget() const { return _forcedTarget; }

    TargetedAction* clone() const override;
    TargetedAction* reverse() const override;
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;

    bool initWithTarget(Node* target, FiniteTimeAction* action);

protected:
    TargetedAction() = default;
    ~TargetedAction() override;

private:
    FiniteTimeAction* _action = nullptr;
    Node* _forcedTarget = nullptr;
};

} // namespace cocos2d
