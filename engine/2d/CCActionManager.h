#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "base/CCRef.h"

namespace cocos2d {

class Action;
class Node;

// Runs every action of every target once a frame. Actions of one target run in
// the order they were added, so the one added later wins where both set the
// same property.
class ActionManager : public Ref {
public:
    ActionManager();
    ~ActionManager() override;

    void addAction(Action* action, Node* target, bool paused);
    void removeAllActions();
    void removeAllActionsFromTarget(Node* target);
    void removeAction(Action* action);
    void removeActionByTag(int tag, Node* target);
    void removeAllActionsByTag(int tag, Node* target);
    Action* getActionByTag(int tag, const Node* target) const;
    ptrdiff_t getNumberOfRunningActionsInTarget(const Node* target) const;
    ptrdiff_t getNumberOfRunningActions() const;
    void pauseTarget(Node* target);
    void resumeTarget(Node* target);
    bool isTargetPaused(const Node* target) const;
    // Whether the next update would step any action.
    bool hasActionsToStep() const;

    void update(float dt);

private:
    struct Element;
    Element* findElement(const Node* target) const;
    void removeActionAt(Element* element, size_t index);
    void deleteElementIfDone(Element* element);
    void deleteFinishedElements();

    // Targets in the order they first got an action; that order is the order
    // in which their actions are stepped.
    std::vector<Element*> _targets;
    std::unordered_map<const Node*, Element*> _elements;
    // While update() runs, elements that lose their last action stay listed
    // (and keep their target alive) until the pass is over, so the pass never
    // walks over a deleted element or node.
    bool _updating = false;
};

} // namespace cocos2d
