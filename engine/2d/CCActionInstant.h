#pragma once

#include <functional>

#include "2d/CCAction.h"
#include "math/Vec2.h"

namespace cocos2d {

// An action that does its whole work in one go, the first time it is updated.
class ActionInstant : public FiniteTimeAction {
public:
    ActionInstant* clone() const override = 0;
    ActionInstant* reverse() const override = 0;

    bool isDone() const override { return _done; }
    void startWithTarget(Node* target) override;
    void step(float dt) override;
    // Subclasses call this first: it marks the action as having run, which
    // keeps a Sequence from running it a second time.
    void update(float time) override;

protected:
    ActionInstant() = default;
    ~ActionInstant() override = default;

    bool _done = false;
};

class Show : public ActionInstant {
public:
    static Show* create();

    Show* clone() const override;
    ActionInstant* reverse() const override;
    void update(float time) override;

protected:
    Show() = default;
    ~Show() override = default;
};

class Hide : public ActionInstant {
public:
    static Hide* create();

    Hide* clone() const override;
    ActionInstant* reverse() const override;
    void update(float time) override;

protected:
    Hide() = default;
    ~Hide() override = default;
};

class Place : public ActionInstant {
public:
    static Place* create(const Vec2& position);

    Place* clone() const override;
    Place* reverse() const override;
    void update(float time) override;

    bool initWithPosition(const Vec2& position);

protected:
    Place() = default;
    ~Place() override = default;

    Vec2 _position;
};

// Removes its target from the parent, with or without cleanup. The action
// manager keeps the node alive until the step that removed it has finished.
class RemoveSelf : public ActionInstant {
public:
    static RemoveSelf* create(bool isNeedCleanUp = true);

    RemoveSelf* clone() const override;
    RemoveSelf* reverse() const override;
    void update(float time) override;

    bool init(bool isNeedCleanUp);

protected:
    RemoveSelf() = default;
    ~RemoveSelf() override = default;

    bool _isNeedCleanUp = true;
};

class CallFunc : public ActionInstant {
public:
    static CallFunc* create(const std::function<void()>& func);

    virtual void execute();

    CallFunc* clone() const override;
    CallFunc* reverse() const override;
    void update(float time) override;

    bool initWithFunction(const std::function<void()>& func);

protected:
    CallFunc() = default;
    ~CallFunc() override = default;

    std::function<void()> _function;
};

} // namespace cocos2d
