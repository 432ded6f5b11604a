#pragma once

#include "2d/CCActionInterval.h"

namespace cocos2d {

// Runs an inner action on a reshaped time curve; the inner action keeps its
// target and duration, only the progress it is given changes.
class ActionEase : public ActionInterval {
public:
    virtual ActionInterval* getInnerAction() { return _inner; }

    ActionEase* clone() const override = 0;
    ActionEase* reverse() const override = 0;
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;

    bool initWithAction(ActionInterval* action);

protected:
    ActionEase() = default;
    ~ActionEase() override;

    ActionInterval* _inner = nullptr;
};

// Fast start, slow finish: 1 - 2^(-10 t), exactly 1 at t = 1.
class EaseExponentialOut : public ActionEase {
public:
    static EaseExponentialOut* create(ActionInterval* action);

    EaseExponentialOut* clone() const override;
    ActionEase* reverse() const override;
    void update(float time) override;

protected:
    EaseExponentialOut() = default;
    ~EaseExponentialOut() override = default;
};

// Slow start, fast finish: 2^(10 (t - 1)), exactly 0 at t = 0.
class EaseExponentialIn : public ActionEase {
public:
    static EaseExponentialIn* create(ActionInterval* action);

    EaseExponentialIn* clone() const override;
    ActionEase* reverse() const override;
    void update(float time) override;

protected:
    EaseExponentialIn() = default;
    ~EaseExponentialIn() override = default;
};

// The in curve for the first half, the out curve for the second.
class EaseExponentialInOut : public ActionEase {
public:
    static EaseExponentialInOut* create(ActionInterval* action);

    EaseExponentialInOut* clone() const override;
    ActionEase* reverse() const override;
    void update(float time) override;

protected:
    EaseExponentialInOut() = default;
    ~EaseExponentialInOut() override = default;
};

} // namespace cocos2d
