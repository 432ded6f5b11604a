#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/CCRef.h"
#include "base/CCVector.h"
#include "base/ccTypes.h"
#include "math/CCAffineTransform.h"
#include "math/CCGeometry.h"
#include "math/Mat4.h"

namespace cocos2d {

class Action;
class ActionManager;
class Camera;
class EventDispatcher;
class Renderer;
class Scene;
class Scheduler;
class Touch;

enum {
    FLAGS_TRANSFORM_DIRTY = (1 << 0),
    FLAGS_CONTENT_SIZE_DIRTY = (1 << 1),
    FLAGS_DIRTY_MASK = (FLAGS_TRANSFORM_DIRTY | FLAGS_CONTENT_SIZE_DIRTY),
};

class Node : public Ref {
public:
    static const int INVALID_TAG = -1;

    static Node* create();
    virtual bool init();

    // Drawing order among siblings; ties keep the order of addition.
    virtual void setLocalZOrder(int localZOrder);
    virtual int getLocalZOrder() const { return _localZOrder; }
    virtual void setGlobalZOrder(float globalZOrder);
    virtual float getGlobalZOrder() const { return _globalZOrder; }
    // Moves whenever the order nodes are visited in may have changed
    // anywhere: a child added or removed, a z order changed. Whoever keeps
    // something worked out from that order (the event dispatcher's listener
    // order) works it out again only when this has moved.
    static uint64_t getSceneOrderVersion() { return s_sceneOrderVersion; }

    virtual void setScale(float scale);
    virtual void setScale(float scaleX, float scaleY);
    virtual void setScaleX(float scaleX);
    virtual void setScaleY(float scaleY);
    virtual float getScale() const { return _scaleX; }
    virtual float getScaleX() const { return _scaleX; }
    virtual float getScaleY() const { return _scaleY; }

    virtual void setPosition(const Vec2& position);
    virtual void setPosition(float x, float y);
    virtual const Vec2& getPosition() const { return _position; }
    virtual void getPosition(float* x, float* y) const;
    virtual void setPositionX(float x);
    virtual float getPositionX() const { return _position.x; }
    virtual void setPositionY(float y);
    virtual float getPositionY() const { return _position.y; }
    virtual void setNormalizedPosition(const Vec2& position);

    virtual void setAnchorPoint(const Vec2& anchorPoint);
    virtual const Vec2& getAnchorPoint() const { return _anchorPoint; }
    virtual const Vec2& getAnchorPointInPoints() const { return _anchorPointInPoints; }
    virtual void setContentSize(const Size& contentSize);
    virtual const Size& getContentSize() const { return _contentSize; }

    virtual void setVisible(bool visible) { _visible = visible; }
    virtual bool isVisible() const { return _visible; }

    // Degrees, clockwise.
    virtual void setRotation(float rotation);
    virtual float getRotation() const { return _rotation; }

    // With true the position is the bottom-left corner; rotation and scale
    // still turn about the anchor point.
    virtual void ignoreAnchorPointForPosition(bool ignore);
    virtual void setIgnoreAnchorPointForPosition(bool ignore) { ignoreAnchorPointForPosition(ignore); }
    virtual bool isIgnoreAnchorPointForPosition() const { return _ignoreAnchorPointForPosition; }

    virtual void addChild(Node* child);
    virtual void addChild(Node* child, int localZOrder);
    virtual void addChild(Node* child, int localZOrder, int tag);
    virtual void addChild(Node* child, int localZOrder, const std::string& name);
    virtual Node* getChildByTag(int tag) const;
    virtual Node* getChildByName(const std::string& name) const;
    virtual Vector<Node*>& getChildren() { return _children; }
    virtual const Vector<Node*>& getChildren() const { return _children; }
    virtual ptrdiff_t getChildrenCount() const { return _children.size(); }
    virtual void setParent(Node* parent) { _parent = parent; }
    virtual Node* getParent() { return _parent; }
    virtual const Node* getParent() const { return _parent; }
    virtual void removeFromParent();
    virtual void removeFromParentAndCleanup(bool cleanup);
    virtual void removeChild(Node* child, bool cleanup = true);
    virtual void removeChildByTag(int tag, bool cleanup = true);
    virtual void removeChildByName(const std::string& name, bool cleanup = true);
    virtual void removeAllChildren();
    virtual void removeAllChildrenWithCleanup(bool cleanup);
    virtual void reorderChild(Node* child, int localZOrder);
    virtual void sortAllChildren();

    virtual int getTag() const { return _tag; }
    virtual void setTag(int tag) { _tag = tag; }
    virtual const std::string& getName() const { return _name; }
    virtual void setName(const std::string& name) { _name = name; }
    virtual void* getUserData() { return _userData; }
    virtual void setUserData(void* userData) { _userData = userData; }
    virtual Ref* getUserObject() { return _userObject; }
    virtual void setUserObject(Ref* userObject);

    virtual bool isRunning() const { return _running; }
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish() {}
    virtual void onExitTransitionDidStart() {}
    virtual void onExit();
    // Stops actions and scheduled callbacks of this node and its subtree.
    virtual void cleanup();

    virtual void draw(Renderer* renderer, const Mat4& transform, uint32_t flags);
    virtual void draw();
    virtual void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags);
    virtual void visit();

    virtual Scene* getScene() const;
    virtual Rect getBoundingBox() const;

    virtual void setEventDispatcher(EventDispatcher* dispatcher);
    virtual EventDispatcher* getEventDispatcher() const { return _eventDispatcher; }
    virtual void setActionManager(ActionManager* actionManager);
    virtual ActionManager* getActionManager() { return _actionManager; }
    virtual void setScheduler(Scheduler* scheduler);
    virtual Scheduler* getScheduler() { return _scheduler; }

    virtual Action* runAction(Action* action);
    void stopAllActions();
    void stopAction(Action* action);
    void stopActionByTag(int tag);
    void stopAllActionsByTag(int tag);
    Action* getActionByTag(int tag);
    ptrdiff_t getNumberOfRunningActions() const;

    bool isScheduled(const std::string& key) const;
    void scheduleUpdate();
    void scheduleUpdateWithPriority(int priority);
    void unscheduleUpdate();
    void schedule(const std::function<void(float)>& callback, const std::string& key);
    void schedule(const std::function<void(float)>& callback, float interval, const std::string& key);
    void schedule(const std::function<void(float)>& callback, float interval, unsigned int repeat, float delay,
                  const std::string& key);
    void scheduleOnce(const std::function<void(float)>& callback, float delay, const std::string& key);
    void unschedule(const std::string& key);
    void unscheduleAllCallbacks();
    virtual void update(float delta) {}

    // Pauses or resumes this node's actions, scheduled callbacks and event listeners.
    virtual void resume();
    virtual void pause();

    virtual const Mat4& getNodeToParentTransform() const;
    virtual AffineTransform getNodeToParentAffineTransform() const;
    virtual Mat4 getNodeToParentTransform(Node* ancestor) const;
    virtual const Mat4& getParentToNodeTransform() const;
    virtual Mat4 getNodeToWorldTransform() const;
    virtual AffineTransform getNodeToWorldAffineTransform() const;
    virtual Mat4 getWorldToNodeTransform() const;
    virtual void setNodeToParentTransform(const Mat4& transform);

    Vec2 convertToNodeSpace(const Vec2& worldPoint) const;
    Vec2 convertToWorldSpace(const Vec2& nodePoint) const;
    Vec2 convertToNodeSpaceAR(const Vec2& worldPoint) const;
    Vec2 convertToWorldSpaceAR(const Vec2& nodePoint) const;
    Vec2 convertTouchToNodeSpace(Touch* touch) const;
    Vec2 convertTouchToNodeSpaceAR(Touch* touch) const;

    virtual uint8_t getOpacity() const { return _realOpacity; }
    virtual uint8_t getDisplayedOpacity() const { return _displayedOpacity; }
    virtual void setOpacity(uint8_t opacity);
    virtual void updateDisplayedOpacity(uint8_t parentOpacity);
    virtual bool isCascadeOpacityEnabled() const { return _cascadeOpacityEnabled; }
    virtual void setCascadeOpacityEnabled(bool enabled);
    virtual const Color3B& getColor() const { return _realColor; }
    virtual const Color3B& getDisplayedColor() const { return _displayedColor; }
    virtual void setColor(const Color3B& color);
    virtual void updateDisplayedColor(const Color3B& parentColor);
    virtual bool isCascadeColorEnabled() const { return _cascadeColorEnabled; }
    virtual void setCascadeColorEnabled(bool enabled);
    virtual void setOpacityModifyRGB(bool) {}
    virtual bool isOpacityModifyRGB() const { return false; }

    // The class name without namespaces, for node-tree dumps.
    virtual std::string getDescription() const;

    // Reports the sprite's picture file or the label's text in tree dumps.
    virtual std::string getResourceDescription() const { return std::string(); }
    virtual std::string getTextDescription() const { return std::string(); }
    virtual bool hasTextDescription() const { return false; }

protected:
    Node();
    ~Node() override;

    uint32_t processParentFlags(const Mat4& parentTransform, uint32_t parentFlags);
    void insertChild(Node* child, int z);
    void addChildHelper(Node* child, int localZOrder, int tag, const std::string& name, bool setTag);
    void detachChild(Node* child, ptrdiff_t index, bool cleanup);
    // Where the child is among the children, -1 when it is not one of them.
    ptrdiff_t indexOfChild(const Node* child) const;
    virtual void updateCascadeOpacity();
    virtual void disableCascadeOpacity();
    virtual void updateCascadeColor();
    virtual void disableCascadeColor();
    virtual void updateColor() {}

    float _rotation = 0.0f;
    float _scaleX = 1.0f;
    float _scaleY = 1.0f;
    Vec2 _position;
    float _globalZOrder = 0.0f;
    int _localZOrder = 0;
    // Order of addition among siblings, to break z-order ties stably.
    unsigned int _orderOfArrival = 0;

    Vec2 _anchorPointInPoints;
    Vec2 _anchorPoint;
    Size _contentSize;
    bool _contentSizeDirty = true;

    mutable Mat4 _transform;
    mutable bool _transformDirty = true;
    mutable Mat4 _inverse;
    mutable bool _inverseDirty = true;
    bool _transformUpdated = true;
    bool _useAdditionalTransform = false;
    Mat4 _additionalTransform;
    Mat4 _modelViewTransform;

    Vector<Node*> _children;
    Node* _parent = nullptr;
    int _tag = INVALID_TAG;
    std::string _name;
    void* _userData = nullptr;
    Ref* _userObject = nullptr;

    Scheduler* _scheduler = nullptr;
    ActionManager* _actionManager = nullptr;
    EventDispatcher* _eventDispatcher = nullptr;

    bool _running = false;
    bool _visible = true;
    bool _ignoreAnchorPointForPosition = false;
    bool _reorderChildDirty = false;

    uint8_t _displayedOpacity = 255;
    uint8_t _realOpacity = 255;
    Color3B _displayedColor = Color3B::WHITE;
    Color3B _realColor = Color3B::WHITE;
    bool _cascadeColorEnabled = false;
    bool _cascadeOpacityEnabled = false;

    std::string _scheduleUpdateKey;

private:
    static unsigned int s_globalOrderOfArrival;
    static uint64_t s_sceneOrderVersion;
};

} // namespace cocos2d
