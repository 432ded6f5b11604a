#include "2d/CCNode.h"

#include <cxxabi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <typeinfo>
#include <unordered_map>

#include "2d/CCActionManager.h"
#include "2d/CCScene.h"
#include "base/CCDirector.h"
#include "base/CCEventDispatcher.h"
#include "base/CCScheduler.h"
#include "base/CCTouch.h"
#include "base/ccMacros.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

unsigned int Node::s_globalOrderOfArrival = 1;
uint64_t Node::s_sceneOrderVersion = 1;

Node::Node()
{
    Director* director = Director::getInstance();
    _scheduler = director->getScheduler();
    _scheduler->retain();
    _actionManager = director->getActionManager();
    _actionManager->retain();
    _eventDispatcher = director->getEventDispatcher();
    _eventDispatcher->retain();
}

Node::~Node()
{
    CC_SAFE_RELEASE(_userObject);
    for (Node* child : _children) child->_parent = nullptr;
    if (!_children.empty()) ++s_sceneOrderVersion;
    _children.clear();
    _actionManager->removeAllActionsFromTarget(this);
    _scheduler->unscheduleAllForTarget(this);
    _eventDispatcher->removeEventListenersForTarget(this);
    _actionManager->release();
    _scheduler->release();
    _eventDispatcher->release();
}

Node* Node::create()
{
    Node* node = new (std::nothrow) Node();
    if (node && node->init()) {
        node->autorelease();
        return node;
    }
    delete node;
    return nullptr;
}

bool Node::init() { return true; }

void Node::setLocalZOrder(int localZOrder)
{
    if (_localZOrder == localZOrder) return;
    _localZOrder = localZOrder;
    if (_parent) _parent->_reorderChildDirty = true;
    ++s_sceneOrderVersion;
}

void Node::setGlobalZOrder(float globalZOrder)
{
    if (_globalZOrder == globalZOrder) return;
    _globalZOrder = globalZOrder;
    ++s_sceneOrderVersion;
}

void Node::setScale(float scale) { setScale(scale, scale); }

void Node::setScale(float scaleX, float scaleY)
{
    if (_scaleX == scaleX && _scaleY == scaleY) return;
    _scaleX = scaleX;
    _scaleY = scaleY;
    _transformUpdated = _transformDirty = _inverseDirty = true;
}

void Node::setScaleX(float scaleX) { setScale(scaleX, _scaleY); }

void Node::setScaleY(float scaleY) { setScale(_scaleX, scaleY); }

void Node::setPosition(const Vec2& position) { setPosition(position.x, position.y); }

void Node::setPosition(float x, float y)
{
    if (_position.x == x && _position.y == y) return;
    _position.set(x, y);
    _transformUpdated = _transformDirty = _inverseDirty = true;
}

void Node::getPosition(float* x, float* y) const
{
    *x = _position.x;
    *y = _position.y;
}

void Node::setPositionX(float x) { setPosition(x, _position.y); }

void Node::setPositionY(float y) { setPosition(_position.x, y); }

void Node::setNormalizedPosition(const Vec2& position)
{
    Size parentSize = _parent ? _parent->getContentSize() : Size::ZERO;
    setPosition(parentSize.width * position.x, parentSize.height * position.y);
}

void Node::setAnchorPoint(const Vec2& point)
{
    if (point.equals(_anchorPoint)) return;
    _anchorPoint = point;
    _anchorPointInPoints.set(_contentSize.width * point.x, _contentSize.height * point.y);
    _transformUpdated = _transformDirty = _inverseDirty = true;
}

void Node::setContentSize(const Size& size)
{
    if (size.equals(_contentSize)) return;
    _contentSize = size;
    _anchorPointInPoints.set(_contentSize.width * _anchorPoint.x, _contentSize.height * _anchorPoint.y);
    _transformUpdated = _transformDirty = _inverseDirty = _contentSizeDirty = true;
}

void Node::setRotation(float rotation)
{
    if (_rotation == rotation) return;
    _rotation = rotation;
    _transformUpdated = _transformDirty = _inverseDirty = true;
}

void Node::ignoreAnchorPointForPosition(bool ignore)
{
    if (ignore == _ignoreAnchorPointForPosition) return;
    _ignoreAnchorPointForPosition = ignore;
    _transformUpdated = _transformDirty = _inverseDirty = true;
}

void Node::addChild(Node* child) { addChild(child, child->_localZOrder, child->_name); }

void Node::addChild(Node* child, int localZOrder) { addChild(child, localZOrder, child->_name); }

void Node::addChild(Node* child, int localZOrder, int tag)
{
    addChildHelper(child, localZOrder, tag, std::string(), true);
}

void Node::addChild(Node* child, int localZOrder, const std::string& name)
{
    addChildHelper(child, localZOrder, INVALID_TAG, name, false);
}

void Node::addChildHelper(Node* child, int localZOrder, int tag, const std::string& name, bool setTag)
{
    if (!child) return;
    if (child->_parent) {
        CCLOG("addChild: the child already has a parent");
        return;
    }
    insertChild(child, localZOrder);
    if (setTag) {
        child->setTag(tag);
    } else {
        child->setName(name);
    }
    child->setParent(this);
    child->_orderOfArrival = s_globalOrderOfArrival++;
    if (_running) {
        child->onEnter();
        child->onEnterTransitionDidFinish();
    }
    if (_cascadeColorEnabled) updateCascadeColor();
    if (_cascadeOpacityEnabled) updateCascadeOpacity();
}

void Node::insertChild(Node* child, int z)
{
    _transformUpdated = true;
    _reorderChildDirty = true;
    ++s_sceneOrderVersion;
    _children.pushBack(child);
    child->_localZOrder = z;
}

Node* Node::getChildByTag(int tag) const
{
    for (Node* child : _children) {
        if (child->_tag == tag) return child;
    }
    return nullptr;
}

Node* Node::getChildByName(const std::string& name) const
{
    for (Node* child : _children) {
        if (child->_name == name) return child;
    }
    return nullptr;
}

void Node::setUserObject(Ref* userObject)
{
    CC_SAFE_RETAIN(userObject);
    CC_SAFE_RELEASE(_userObject);
    _userObject = userObject;
}

void Node::removeFromParent() { removeFromParentAndCleanup(true); }

void Node::removeFromParentAndCleanup(bool cleanup)
{
    if (_parent) _parent->removeChild(this, cleanup);
}

ptrdiff_t Node::indexOfChild(const Node* child) const
{
    // From the newest: children removed newest first (a board cleared, say)
    // are each found at once.
    const auto& children = _children.data();
    for (ptrdiff_t i = ptrdiff_t(children.size()) - 1; i >= 0; --i)
        if (children[size_t(i)] == child) return i;
    return -1;
}

void Node::removeChild(Node* child, bool cleanup)
{
    if (_children.empty()) return;
    ptrdiff_t index = indexOfChild(child);
    if (index >= 0) detachChild(child, index, cleanup);
}

void Node::removeChildByTag(int tag, bool cleanup)
{
    if (Node* child = getChildByTag(tag)) removeChild(child, cleanup);
}

void Node::removeChildByName(const std::string& name, bool cleanup)
{
    if (Node* child = getChildByName(name)) removeChild(child, cleanup);
}

void Node::removeAllChildren() { removeAllChildrenWithCleanup(true); }

void Node::removeAllChildrenWithCleanup(bool cleanup)
{
    // Keep the children alive until every one has left the scene.
    Vector<Node*> children = _children;
    for (Node* child : children) {
        if (_running) {
            child->onExitTransitionDidStart();
            child->onExit();
        }
        if (cleanup) child->cleanup();
        child->setParent(nullptr);
    }
    if (!_children.empty()) ++s_sceneOrderVersion;
    _children.clear();
}

void Node::detachChild(Node* child, ptrdiff_t index, bool cleanup)
{
    child->retain();
    if (_running) {
        child->onExitTransitionDidStart();
        child->onExit();
    }
    if (cleanup) child->cleanup();
    child->setParent(nullptr);
    // onExit may have reordered or removed children; find it again.
    ptrdiff_t current = indexOfChild(child);
    if (current >= 0) _children.erase(current);
    ++s_sceneOrderVersion;
    (void)index;
    child->release();
}

void Node::reorderChild(Node* child, int localZOrder)
{
    _reorderChildDirty = true;
    ++s_sceneOrderVersion;
    child->_orderOfArrival = s_globalOrderOfArrival++;
    child->_localZOrder = localZOrder;
}

void Node::sortAllChildren()
{
    if (!_reorderChildDirty) return;
    auto before = [](const Node* a, const Node* b) {
        return a->_localZOrder < b->_localZOrder ||
               (a->_localZOrder == b->_localZOrder && a->_orderOfArrival < b->_orderOfArrival);
    };
    // Children added one by one usually arrive in order: one pass tells, and
    // the pointers are sorted in place (no retain count changes) only when
    // they are not, never with a search per child.
    if (!std::is_sorted(_children.begin(), _children.end(), before))
        std::stable_sort(_children.begin(), _children.end(), before);
    _reorderChildDirty = false;
}

void Node::onEnter()
{
    _running = true;
    // Children may be added or removed by their own onEnter.
    Vector<Node*> children = _children;
    for (Node* child : children) {
        if (child->_parent == this && !child->_running) child->onEnter();
    }
    resume();
}

void Node::onExit()
{
    pause();
    _running = false;
    Vector<Node*> children = _children;
    for (Node* child : children) {
        if (child->_parent == this && child->_running) child->onExit();
    }
}

void Node::cleanup()
{
    stopAllActions();
    unscheduleAllCallbacks();
    _eventDispatcher->removeEventListenersForTarget(this);
    for (Node* child : _children) child->cleanup();
}

void Node::resume()
{
    _scheduler->resumeTarget(this);
    _actionManager->resumeTarget(this);
    _eventDispatcher->resumeEventListenersForTarget(this);
}

void Node::pause()
{
    _scheduler->pauseTarget(this);
    _actionManager->pauseTarget(this);
    _eventDispatcher->pauseEventListenersForTarget(this);
}

void Node::draw(Renderer*, const Mat4&, uint32_t) {}

void Node::draw()
{
    Renderer* renderer = Director::getInstance()->getRenderer();
    draw(renderer, _modelViewTransform, FLAGS_TRANSFORM_DIRTY);
}

uint32_t Node::processParentFlags(const Mat4& parentTransform, uint32_t parentFlags)
{
    uint32_t flags = parentFlags;
    flags |= (_transformUpdated ? FLAGS_TRANSFORM_DIRTY : 0);
    flags |= (_contentSizeDirty ? FLAGS_CONTENT_SIZE_DIRTY : 0);
    if (flags & FLAGS_DIRTY_MASK) {
        Mat4::multiply(parentTransform, getNodeToParentTransform(), &_modelViewTransform);
    }
    _transformUpdated = false;
    _contentSizeDirty = false;
    return flags;
}

void Node::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!_visible) return;
    uint32_t flags = processParentFlags(parentTransform, parentFlags);

    if (!_children.empty()) {
        sortAllChildren();
        ptrdiff_t i = 0;
        ptrdiff_t count = _children.size();
        for (; i < count; ++i) {
            Node* child = _children.at(i);
            if (child->_localZOrder >= 0) break;
            child->visit(renderer, _modelViewTransform, flags);
        }
        draw(renderer, _modelViewTransform, flags);
        for (; i < _children.size(); ++i) _children.at(i)->visit(renderer, _modelViewTransform, flags);
    } else {
        draw(renderer, _modelViewTransform, flags);
    }
}

void Node::visit()
{
    Renderer* renderer = Director::getInstance()->getRenderer();
    Mat4 parentTransform = _parent ? _parent->getNodeToWorldTransform() : Mat4::IDENTITY;
    visit(renderer, parentTransform, FLAGS_TRANSFORM_DIRTY);
}

Scene* Node::getScene() const
{
    const Node* node = this;
    while (node->_parent) node = node->_parent;
    return dynamic_cast<Scene*>(const_cast<Node*>(node));
}

Rect Node::getBoundingBox() const
{
    Rect rect(0, 0, _contentSize.width, _contentSize.height);
    return RectApplyTransform(rect, getNodeToParentTransform());
}

void Node::setEventDispatcher(EventDispatcher* dispatcher)
{
    if (dispatcher == _eventDispatcher) return;
    _eventDispatcher->removeEventListenersForTarget(this);
    CC_SAFE_RETAIN(dispatcher);
    CC_SAFE_RELEASE(_eventDispatcher);
    _eventDispatcher = dispatcher;
}

void Node::setActionManager(ActionManager* actionManager)
{
    if (actionManager == _actionManager) return;
    stopAllActions();
    CC_SAFE_RETAIN(actionManager);
    CC_SAFE_RELEASE(_actionManager);
    _actionManager = actionManager;
}

void Node::setScheduler(Scheduler* scheduler)
{
    if (scheduler == _scheduler) return;
    unscheduleAllCallbacks();
    CC_SAFE_RETAIN(scheduler);
    CC_SAFE_RELEASE(_scheduler);
    _scheduler = scheduler;
}

Action* Node::runAction(Action* action)
{
    _actionManager->addAction(action, this, !_running);
    return action;
}

void Node::stopAllActions() { _actionManager->removeAllActionsFromTarget(this); }

void Node::stopAction(Action* action) { _actionManager->removeAction(action); }

void Node::stopActionByTag(int tag) { _actionManager->removeActionByTag(tag, this); }

void Node::stopAllActionsByTag(int tag) { _actionManager->removeAllActionsByTag(tag, this); }

Action* Node::getActionByTag(int tag) { return _actionManager->getActionByTag(tag, this); }

ptrdiff_t Node::getNumberOfRunningActions() const { return _actionManager->getNumberOfRunningActionsInTarget(this); }

bool Node::isScheduled(const std::string& key) const { return _scheduler->isScheduled(key, this); }

void Node::scheduleUpdate() { scheduleUpdateWithPriority(0); }

void Node::scheduleUpdateWithPriority(int priority) { _scheduler->scheduleUpdate(this, priority, !_running); }

void Node::unscheduleUpdate() { _scheduler->unscheduleUpdate(this); }

void Node::schedule(const std::function<void(float)>& callback, const std::string& key)
{
    _scheduler->schedule(callback, this, 0.0f, !_running, key);
}

void Node::schedule(const std::function<void(float)>& callback, float interval, const std::string& key)
{
    _scheduler->schedule(callback, this, interval, !_running, key);
}

void Node::schedule(const std::function<void(float)>& callback, float interval, unsigned int repeat, float delay,
                    const std::string& key)
{
    _scheduler->schedule(callback, this, interval, repeat, delay, !_running, key);
}

void Node::scheduleOnce(const std::function<void(float)>& callback, float delay, const std::string& key)
{
    _scheduler->schedule(callback, this, 0.0f, 0, delay, !_running, key);
}

void Node::unschedule(const std::string& key) { _scheduler->unschedule(key, this); }

void Node::unscheduleAllCallbacks() { _scheduler->unscheduleAllForTarget(this); }

const Mat4& Node::getNodeToParentTransform() const
{
    if (_transformDirty) {
        _transform = NodeToParentTransform(_position, _rotation, _scaleX, _scaleY, _anchorPointInPoints,
                                           _ignoreAnchorPointForPosition);
        if (_useAdditionalTransform) _transform = _transform * _additionalTransform;
        _transformDirty = false;
    }
    return _transform;
}

AffineTransform Node::getNodeToParentAffineTransform() const
{
    const Mat4& m = getNodeToParentTransform();
    return AffineTransformMake(m.m[0], m.m[1], m.m[4], m.m[5], m.m[12], m.m[13]);
}

Mat4 Node::getNodeToParentTransform(Node* ancestor) const
{
    Mat4 t = getNodeToParentTransform();
    for (const Node* p = _parent; p != nullptr && p != ancestor; p = p->_parent) {
        t = p->getNodeToParentTransform() * t;
    }
    return t;
}

const Mat4& Node::getParentToNodeTransform() const
{
    if (_inverseDirty) {
        _inverse = getNodeToParentTransform().getInversed();
        _inverseDirty = false;
    }
    return _inverse;
}

Mat4 Node::getNodeToWorldTransform() const { return getNodeToParentTransform(nullptr); }

AffineTransform Node::getNodeToWorldAffineTransform() const
{
    Mat4 m = getNodeToWorldTransform();
    return AffineTransformMake(m.m[0], m.m[1], m.m[4], m.m[5], m.m[12], m.m[13]);
}

Mat4 Node::getWorldToNodeTransform() const { return getNodeToWorldTransform().getInversed(); }

void Node::setNodeToParentTransform(const Mat4& transform)
{
    _transform = transform;
    _transformDirty = false;
    _transformUpdated = true;
    _inverseDirty = true;
}

Vec2 Node::convertToNodeSpace(const Vec2& worldPoint) const
{
    return getWorldToNodeTransform().transformPoint(worldPoint);
}

Vec2 Node::convertToWorldSpace(const Vec2& nodePoint) const
{
    return getNodeToWorldTransform().transformPoint(nodePoint);
}

Vec2 Node::convertToNodeSpaceAR(const Vec2& worldPoint) const
{
    return convertToNodeSpace(worldPoint) - _anchorPointInPoints;
}

Vec2 Node::convertToWorldSpaceAR(const Vec2& nodePoint) const
{
    return convertToWorldSpace(nodePoint + _anchorPointInPoints);
}

Vec2 Node::convertTouchToNodeSpace(Touch* touch) const { return convertToNodeSpace(touch->getLocation()); }

Vec2 Node::convertTouchToNodeSpaceAR(Touch* touch) const { return convertToNodeSpaceAR(touch->getLocation()); }

void Node::setOpacity(uint8_t opacity)
{
    _displayedOpacity = _realOpacity = opacity;
    updateCascadeOpacity();
}

void Node::updateDisplayedOpacity(uint8_t parentOpacity)
{
    _displayedOpacity = static_cast<uint8_t>(_realOpacity * parentOpacity / 255.0f);
    updateColor();
    if (_cascadeOpacityEnabled) {
        for (Node* child : _children) child->updateDisplayedOpacity(_displayedOpacity);
    }
}

void Node::setCascadeOpacityEnabled(bool enabled)
{
    if (_cascadeOpacityEnabled == enabled) return;
    _cascadeOpacityEnabled = enabled;
    if (enabled) {
        updateCascadeOpacity();
    } else {
        disableCascadeOpacity();
    }
}

void Node::updateCascadeOpacity()
{
    uint8_t parentOpacity = 255;
    if (_parent && _parent->isCascadeOpacityEnabled()) parentOpacity = _parent->getDisplayedOpacity();
    updateDisplayedOpacity(parentOpacity);
}

void Node::disableCascadeOpacity()
{
    _displayedOpacity = _realOpacity;
    for (Node* child : _children) child->updateDisplayedOpacity(255);
}

void Node::setColor(const Color3B& color)
{
    _displayedColor = _realColor = color;
    updateCascadeColor();
}

void Node::updateDisplayedColor(const Color3B& parentColor)
{
    _displayedColor.r = static_cast<uint8_t>(_realColor.r * parentColor.r / 255.0f);
    _displayedColor.g = static_cast<uint8_t>(_realColor.g * parentColor.g / 255.0f);
    _displayedColor.b = static_cast<uint8_t>(_realColor.b * parentColor.b / 255.0f);
    updateColor();
    if (_cascadeColorEnabled) {
        for (Node* child : _children) child->updateDisplayedColor(_displayedColor);
    }
}

void Node::setCascadeColorEnabled(bool enabled)
{
    if (_cascadeColorEnabled == enabled) return;
    _cascadeColorEnabled = enabled;
    if (enabled) {
        updateCascadeColor();
    } else {
        disableCascadeColor();
    }
}

void Node::updateCascadeColor()
{
    Color3B parentColor = Color3B::WHITE;
    if (_parent && _parent->isCascadeColorEnabled()) parentColor = _parent->getDisplayedColor();
    updateDisplayedColor(parentColor);
}

void Node::disableCascadeColor()
{
    _displayedColor = _realColor;
    for (Node* child : _children) child->updateDisplayedColor(Color3B::WHITE);
}

std::string Node::getDescription() const
{
    int status = 0;
    const char* mangled = typeid(*this).name();
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && demangled) ? demangled : mangled;
    std::free(demangled);
    size_t colon = name.rfind("::");
    if (colon != std::string::npos) name = name.substr(colon + 2);
    return name;
}

} // namespace cocos2d
