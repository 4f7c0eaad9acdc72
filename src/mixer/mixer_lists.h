#pragma once
// The tree of one open mixer device: destinations, their source lines
// (connections) and every line's controls. Built whole on each opening and
// never refreshed in place; each object belongs to exactly one parent.

#include "platform/mmsystem.h"

#include <functional>
#include <memory>
#include <vector>

class TAudioMixer;
class MixerService;

// An ordered list that owns its items. Items(i) outside 0..Count()-1 is an
// error of the list (std::out_of_range).
template <class T>
class TPointerList {
public:
    // Called once for every item, first to last, when the list is cleared.
    std::function<void(T*)> OnFreeItem;

    ~TPointerList() { Clear(); }
    int Add(std::unique_ptr<T> item) {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    T* Items(int i) const { return items_.at(static_cast<std::size_t>(i)).get(); }
    int Count() const { return static_cast<int>(items_.size()); }
    void Clear() {
        if (OnFreeItem)
            for (auto& item : items_) OnFreeItem(item.get());
        items_.clear();
    }

private:
    std::vector<std::unique_ptr<T>> items_;
};

// The controls of one line, in the order the device reports them; empty
// when the device would not list them.
class TMixerControls {
public:
    TMixerControls(MixerService& service, HMIXER handle, const MIXERLINE& line);
    const MIXERCONTROL& Items(int i) const { return block_.at(static_cast<std::size_t>(i)); }
    int Count() const { return count_; }

private:
    std::vector<MIXERCONTROL> block_;  // one piece, cControls records
    int count_ = 0;
};

class TMixerConnection {
public:
    TMixerConnection(TAudioMixer* mixer, const MIXERLINE& line);
    TAudioMixer* Mixer;
    MIXERLINE LineInfo;
    TMixerControls Controls;
};

class TMixerConnections {
public:
    TMixerConnections(TAudioMixer* mixer, const MIXERLINE& destination);
    TMixerConnection* Items(int i) const { return list_.Items(i); }
    int Count() const { return list_.Count(); }
    TAudioMixer* Mixer;

private:
    TPointerList<TMixerConnection> list_;
};

class TMixerDestination {
public:
    TMixerDestination(TAudioMixer* mixer, const MIXERLINE& line);
    TAudioMixer* Mixer;
    MIXERLINE LineInfo;
    // Members are built in this order (sources, then controls) and freed in
    // the reverse one.
    TMixerConnections Connections;
    TMixerControls Controls;
};

class TMixerDestinations {
public:
    explicit TMixerDestinations(TAudioMixer* mixer);
    TMixerDestination* Items(int i) const { return list_.Items(i); }
    int Count() const { return list_.Count(); }

private:
    TPointerList<TMixerDestination> list_;
};
