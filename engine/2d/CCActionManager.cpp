#include "2d/CCActionManager.h"

#include <algorithm>

#include "2d/CCAction.h"
#include "2d/CCNode.h"

namespace cocos2d {

struct ActionManager::Element {
    Node* target = nullptr; // retained while the element exists
    std::vector<Action*> actions; // each retained
    // Index of the action being stepped, -1 outside the step loop. Removals
    // before or at it move it back so the loop goes on with the right one.
    ptrdiff_t actionIndex = -1;
    bool paused = false;
};

ActionManager::ActionManager() = default;

ActionManager::~ActionManager() { removeAllActions(); }

ActionManager::Element* ActionManager::findElement(const Node* target) const
{
    auto it = _elements.find(target);
    return it == _elements.end() ? nullptr : it->second;
}

void ActionManager::addAction(Action* action, Node* target, bool paused)
{
    if (!action || !target) return;
    Element* element = findElement(target);
    if (!element) {
        element = new Element();
        element->target = target;
        element->paused = paused;
        target->retain();
        _targets.push_back(element);
        _elements[target] = element;
    }
    if (std::find(element->actions.begin(), element->actions.end(), action) != element->actions.end()) return;
    action->retain();
    element->actions.push_back(action);
    action->startWithTarget(target);
}

void ActionManager::removeActionAt(Element* element, size_t index)
{
    Action* action = element->actions[index];
    element->actions.erase(element->actions.begin() + static_cast<ptrdiff_t>(index));
    if (static_cast<ptrdiff_t>(index) <= element->actionIndex) --element->actionIndex;
    deleteElementIfDone(element);
    // Last: releasing may destroy the action and whatever it holds, which can
    // call back into this manager.
    action->release();
}

void ActionManager::deleteElementIfDone(Element* element)
{
    if (_updating || !element->actions.empty()) return;
    _targets.erase(std::find(_targets.begin(), _targets.end(), element));
    _elements.erase(element->target);
    Node* target = element->target;
    delete element;
    target->release();
}

void ActionManager::deleteFinishedElements()
{
    std::vector<Element*> finished;
    auto kept = std::stable_partition(_targets.begin(), _targets.end(),
                                      [](const Element* element) { return !element->actions.empty(); });
    finished.assign(kept, _targets.end());
    _targets.erase(kept, _targets.end());
    for (Element* element : finished) _elements.erase(element->target);
    for (Element* element : finished) {
        Node* target = element->target;
        delete element;
        target->release();
    }
}

void ActionManager::removeAllActions()
{
    if (_updating) {
        for (size_t i = 0; i < _targets.size(); ++i) removeAllActionsFromTarget(_targets[i]->target);
        return;
    }
    // Each round deletes one element; releasing a target may remove others.
    while (!_targets.empty()) removeAllActionsFromTarget(_targets.back()->target);
}

void ActionManager::removeAllActionsFromTarget(Node* target)
{
    Element* element = findElement(target);
    if (!element) return;
    std::vector<Action*> removed;
    removed.swap(element->actions);
    if (element->actionIndex >= 0) element->actionIndex = -1;
    deleteElementIfDone(element);
    for (Action* action : removed) action->release();
}

void ActionManager::removeAction(Action* action)
{
    if (!action) return;
    auto removeFrom = [this, action](Element* element) {
        auto it = std::find(element->actions.begin(), element->actions.end(), action);
        if (it == element->actions.end()) return false;
        removeActionAt(element, static_cast<size_t>(it - element->actions.begin()));
        return true;
    };
    if (Element* element = findElement(action->getOriginalTarget())) {
        if (removeFrom(element)) return;
    }
    for (size_t i = 0; i < _targets.size(); ++i) {
        if (removeFrom(_targets[i])) return;
    }
}

// INVALID_TAG marks untagged actions; asking for it would pick an arbitrary
// one, so tag look-ups with it find nothing.
void ActionManager::removeActionByTag(int tag, Node* target)
{
    if (tag == Action::INVALID_TAG) return;
    Element* element = findElement(target);
    if (!element) return;
    for (size_t i = 0; i < element->actions.size(); ++i) {
        if (element->actions[i]->getTag() == tag) {
            removeActionAt(element, i);
            return;
        }
    }
}

void ActionManager::removeAllActionsByTag(int tag, Node* target)
{
    if (tag == Action::INVALID_TAG) return;
    Element* element = findElement(target);
    if (!element) return;
    std::vector<Action*> matching;
    for (Action* action : element->actions) {
        if (action->getTag() == tag) matching.push_back(action);
    }
    // Look the element up again each time: removing its last action deletes it.
    for (Action* action : matching) {
        element = findElement(target);
        if (!element) return;
        auto it = std::find(element->actions.begin(), element->actions.end(), action);
        if (it != element->actions.end()) removeActionAt(element, static_cast<size_t>(it - element->actions.begin()));
    }
}

Action* ActionManager::getActionByTag(int tag, const Node* target) const
{
    if (tag == Action::INVALID_TAG) return nullptr;
    Element* element = findElement(target);
    if (!element) return nullptr;
    for (Action* action : element->actions) {
        if (action->getTag() == tag) return action;
    }
    return nullptr;
}

ptrdiff_t ActionManager::getNumberOfRunningActionsInTarget(const Node* target) const
{
    Element* element = findElement(target);
    return element ? static_cast<ptrdiff_t>(element->actions.size()) : 0;
}

ptrdiff_t ActionManager::getNumberOfRunningActions() const
{
    ptrdiff_t count = 0;
    for (const Element* element : _targets) count += static_cast<ptrdiff_t>(element->actions.size());
    return count;
}

bool ActionManager::hasActionsToStep() const
{
    for (const Element* element : _targets) {
        if (!element->paused && !element->actions.empty()) return true;
    }
    return false;
}

void ActionManager::pauseTarget(Node* target)
{
    if (Element* element = findElement(target)) element->paused = true;
}

void ActionManager::resumeTarget(Node* target)
{
    if (Element* element = findElement(target)) element->paused = false;
}

bool ActionManager::isTargetPaused(const Node* target) const
{
    Element* element = findElement(target);
    return element && element->paused;
}

void ActionManager::update(float dt)
{
    if (_updating) return;
    _updating = true;
    // Elements and actions added during the pass are appended and so are
    // stepped in this same pass, as if they had been added just before it.
    for (size_t i = 0; i < _targets.size(); ++i) {
        Element* element = _targets[i];
        if (element->paused) continue;
        for (element->actionIndex = 0; element->actionIndex < static_cast<ptrdiff_t>(element->actions.size());
             ++element->actionIndex) {
            Action* action = element->actions[element->actionIndex];
            // The step may remove this action, other actions or the target from
            // its parent; the action lives until its step has returned.
            action->retain();
            action->step(dt);
            const bool stillListed = element->actionIndex >= 0 &&
                                     element->actionIndex < static_cast<ptrdiff_t>(element->actions.size()) &&
                                     element->actions[element->actionIndex] == action;
            if (stillListed && action->isDone()) {
                action->stop();
                auto it = std::find(element->actions.begin(), element->actions.end(), action);
                if (it != element->actions.end()) {
                    removeActionAt(element, static_cast<size_t>(it - element->actions.begin()));
                }
            }
            action->release();
        }
        element->actionIndex = -1;
    }
    _updating = false;
    deleteFinishedElements();
}

} // namespace cocos2d
