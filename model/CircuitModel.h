#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "ConnectionGeometry.h"
#include "PartType.h"
#include "math/CCGeometry.h"
#include "math/Mat4.h"
#include "math/Vec2.h"

// The circuit as plain records: the parts on the board in placement order,
// how many of each type, and the joints between their ends. Nothing here
// draws; the screen shows what this holds and changes it only through it.
namespace circuit {

// Names a part for as long as it is on the board; never reused by a model.
using PartId = std::uint32_t;
constexpr PartId kNoPart = 0;

// One end of a part: where the track meets the picture's edge, in the part's
// own space, and the part it is joined to.
struct PartEnd {
    cocos2d::Vec2 point;
    // point plus the inward direction; in other spaces the direction is
    // image(inner) - image(point), so it survives any transform.
    cocos2d::Vec2 inner;
    PartId link = kNoPart;
};

struct Part {
    PartId id = kNoPart;
    PartType type = PartTypes::start;
    cocos2d::Vec2 position; // board coordinates of the picture's centre
    float rotation = 0;     // degrees, clockwise
    PartEnd ends[2];        // end A (left end of the unturned picture), end B
};

struct EndRef {
    PartId part = kNoPart;
    int end = 0;
    bool operator==(const EndRef& o) const { return part == o.part && end == o.end; }
    bool operator!=(const EndRef& o) const { return !(*this == o); }
    explicit operator bool() const { return part != kNoPart; }
};

// Picture sizes in points, by type: the geometry of every part follows them.
using PictureSizes = std::array<cocos2d::Size, PartTypes::count>;

// The ends of a part of this type and picture size, unlinked.
std::array<PartEnd, 2> endGeometry(PartType type, const cocos2d::Size& picture);
// The quadrilateral that takes touches, in part coordinates.
std::array<cocos2d::Vec2, 4> touchOutline(PartType type, const cocos2d::Size& picture);

// Told of every change, in the order the changes happen.
class CircuitObserver {
public:
    virtual ~CircuitObserver() = default;
    virtual void partAdded(const Part& part, std::size_t index) {}
    // About to change (position, rotation, a link) or to leave the board:
    // the record as it still is.
    virtual void partChanging(const Part& part) {}
    // Position or rotation.
    virtual void partMoved(const Part& part) {}
    // The record as it was, links already cleared.
    virtual void partRemoved(const Part& part, std::size_t index) {}
    virtual void linkChanged(const Part& part, int end) {}
    virtual void cleared() {}
    // Many parts come at once (a circuit loading): what is shown of the
    // whole may wait for the batch's end.
    virtual void batchStarted() {}
    virtual void batchEnded() {}
};

// A part as a stored document gives it.
struct PartPlacement {
    PartType type = PartTypes::start;
    cocos2d::Vec2 position;
    float rotation = 0;
};

class CircuitModel {
public:
    CircuitModel(const PictureSizes& pictures, const cocos2d::Size& board);

    void addObserver(CircuitObserver* observer);
    void removeObserver(CircuitObserver* observer);

    const std::vector<Part>& parts() const { return _parts; }
    std::size_t size() const { return _parts.size(); }
    bool empty() const { return _parts.empty(); }
    bool contains(PartId id) const { return _index.count(id) != 0; }
    // The part must be on the board.
    const Part& part(PartId id) const { return _parts[_index.at(id)]; }
    // Placement order, -1 when the part is not on the board.
    std::ptrdiff_t indexOf(PartId id) const;
    int count(PartType type) const { return _counts[type]; }
    const cocos2d::Size& board() const { return _board; }
    const cocos2d::Size& picture(PartType type) const { return _pictures[type]; }

    // Appends a part, unlinked.
    PartId add(PartType type, const cocos2d::Vec2& position, float rotation);
    // Appends the parts in order, each joined as it comes to the ends of the
    // parts before it that it touches, exactly as adding each and linking its
    // two ends would; found through a grid of end points instead of a search
    // of every end for every end.
    void addTouching(const std::vector<PartPlacement>& placements);
    // Puts a part that was on the board back at its place in placement
    // order (at most size()), unlinked, under its old id when that id was
    // this model's and is free; a new id otherwise.
    PartId insert(std::size_t index, PartType type, const cocos2d::Vec2& position, float rotation,
                  PartId formerId = kNoPart);
    // Takes the part off the board with every link to it.
    void remove(PartId id);
    void clear();

    // Geometry. The transform is the one a node at the part's position and
    // rotation, anchored at its centre, has in the board.
    const cocos2d::Mat4& transform(PartId id) const { return _transforms[_index.at(id)]; }
    cocos2d::Vec2 endToBoard(const EndRef& end, bool inner = false) const;
    // The signed angle between the two ends' inward directions on the board.
    int endAngle(const EndRef& a, const EndRef& b) const;
    // The part's axis-aligned bounds on the board.
    cocos2d::Rect bounds(PartId id) const;
    void setPosition(PartId id, const cocos2d::Vec2& position);
    void setRotation(PartId id, float rotation);
    // At position, moved the least to keep the whole part on the board.
    void placeClamped(PartId id, const cocos2d::Vec2& position);

    // Joints.
    void join(const EndRef& a, const EndRef& b);
    // Sets one end's link alone, as a record kept from before had it; every
    // edit joins and unlinks in pairs.
    void setEndLink(const EndRef& end, PartId partner) { setLink(end, partner); }
    // Joins the end with the nearest end within touching distance that is
    // free (or linked to this part) and faces it exactly.
    void linkTouchingEnd(const EndRef& end);
    // Breaks the end's joint; the partner keeps links that came in pairs.
    void unlinkEnd(const EndRef& end);
    // The free end of the chain through start, walking out through its end
    // dir, or none when the walk comes back round (a closed loop).
    EndRef findChainEnd(PartId start, int dir) const;
    // Every part joined to start, each once: from a free end in chain order;
    // from each part, whatever hangs at end A before the way on through B.
    std::vector<PartId> collectChain(PartId start) const;
    // A tap: the part turns 45 degrees, stays on the board and is joined
    // again to whatever its ends now touch.
    void turn(PartId id);

    // Every end of every part but those excluded, in board order with end A
    // first: where it lies and the part it is linked to (null when free).
    template <class Skip>
    void collectEnds(Skip skip, std::vector<connection::EndSpot>* spots, std::vector<EndRef>* refs) const
    {
        spots->clear();
        refs->clear();
        for (std::size_t i = 0; i < _parts.size(); ++i) {
            const Part& p = _parts[i];
            if (skip(p.id)) continue;
            for (int e = 0; e < 2; ++e) {
                spots->push_back({_endPoints[i][e], linkTag(p.ends[e].link)});
                refs->push_back({p.id, e});
            }
        }
    }
    // A part id as the search compares links: null for none.
    static const void* linkTag(PartId id) { return reinterpret_cast<const void*>(std::uintptr_t(id)); }

private:
    void notifyChanging(std::size_t index);
    void setLink(const EndRef& end, PartId partner);
    void updateTransform(std::size_t index);
    void reindexFrom(std::size_t index);

    PictureSizes _pictures;
    cocos2d::Size _board;
    std::vector<Part> _parts;
    // Kept beside each part, so a search over every end transforms nothing.
    std::vector<cocos2d::Mat4> _transforms;
    std::vector<std::array<cocos2d::Vec2, 2>> _endPoints;
    std::unordered_map<PartId, std::size_t> _index;
    int _counts[PartTypes::count] = {};
    PartId _nextId = 1;
    std::vector<CircuitObserver*> _observers;
    // Kept between searches so a search allocates nothing.
    mutable std::vector<connection::EndSpot> _moving;
    mutable std::vector<connection::EndSpot> _targets;
    mutable std::vector<EndRef> _targetRefs;
};

} // namespace circuit
