#pragma once

#include <algorithm>
#include <memory>
#include <vector>

// The delegates of one engine service or model. Several listeners register at once (a call
// panel, the call area and the toolbar all listen to the phone service); each callback
// reaches them in the order they registered, and one removed while a callback is being
// delivered receives nothing more of it.
template <class Delegate> class DelegateList {
public:
    // Registering the same delegate twice keeps its first place.
    void add(Delegate* delegate) {
        if (delegate == nullptr || contains(delegate)) {
            return;
        }
        entries_.push_back(std::make_shared<Entry>(Entry{delegate, false}));
    }

    void remove(Delegate* delegate) {
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const auto& e) { return e->delegate == delegate; });
        if (it != entries_.end()) {
            (*it)->removed = true;
            entries_.erase(it);
        }
    }

    bool contains(const Delegate* delegate) const {
        return std::any_of(entries_.begin(), entries_.end(),
                           [&](const auto& e) { return e->delegate == delegate; });
    }
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }

    // Calls f(delegate) for each delegate registered when the delivery began and still
    // registered when its turn comes.
    template <class F> void forEach(F&& f) const {
        const auto snapshot = entries_;
        for (const auto& entry : snapshot) {
            if (!entry->removed) {
                f(*entry->delegate);
            }
        }
    }

private:
    struct Entry {
        Delegate* delegate;
        bool removed;
    };
    std::vector<std::shared_ptr<Entry>> entries_;
};

// Base of every engine service and model that talks back through a delegate protocol.
// setDelegate adds a registrant; removeDelegate, the original's setDelegate:nil at teardown,
// removes that registrant alone.
template <class Delegate> class DelegatingService {
public:
    void setDelegate(Delegate* delegate) { delegates_.add(delegate); }
    void removeDelegate(Delegate* delegate) { delegates_.remove(delegate); }
    const DelegateList<Delegate>& delegates() const { return delegates_; }

protected:
    template <class F> void notifyDelegates(F&& f) const { delegates_.forEach(std::forward<F>(f)); }

private:
    DelegateList<Delegate> delegates_;
};
