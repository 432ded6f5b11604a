#pragma once

#include "base/CCRef.h"

namespace cocos2d {

class Node;

// Something that changes a node over time. The action manager starts it on its
// target when it is added, steps it once a frame and stops it once it is done.
class Action : public Ref {
public:
    static const int INVALID_TAG = -1;

    virtual Action* clone() const = 0;
    // An action that undoes this one, or nullptr where none exists (absolute
    // targets such as MoveTo have no inverse).
    virtual Action* reverse() const = 0;

    virtual bool isDone() const;
    virtual void startWithTarget(Node* target);
    // Called once the action has finished or is stopped by its owner; after
    // it the action no longer refers to its target.
    virtual void stop();
    // Advances the action by dt seconds of frame time.
    virtual void step(float dt);
    // Applies the action at progress time, from 0 (start) to 1 (end).
    virtual void update(float time);

    Node* getTarget() const { return _target; }
    void setTarget(Node* target) { _target = target; }
    // The node the action was run on; stays set after stop().
    Node* getOriginalTarget() const { return _originalTarget; }
    void setOriginalTarget(Node* originalTarget) { _originalTarget = originalTarget; }

    int getTag() const { return _tag; }
    void setTag(int tag) { _tag = tag; }

protected:
    Action() = default;
    ~Action() override = default;

    Node* _originalTarget = nullptr;
    Node* _target = nullptr;
    int _tag = INVALID_TAG;
};

// An action with a known length in seconds.
class FiniteTimeAction : public Action {
public:
    float getDuration() const { return _duration; }
    virtual void setDuration(float duration) { _duration = duration; }

    FiniteTimeAction* clone() const override = 0;
    FiniteTimeAction* reverse() const override = 0;

protected:
    FiniteTimeAction() = default;
    ~FiniteTimeAction() override = default;

    float _duration = 0.0f;
};

} // namespace cocos2d
