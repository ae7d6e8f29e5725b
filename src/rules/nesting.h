// Counts how deep something in progress nests (script runs, waits): one more
// for the life of a scope.
#pragma once

namespace velmora::rules {

class Nesting {
public:
    explicit Nesting(int& depth) : depth_(depth) { ++depth_; }
    ~Nesting() { --depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    int Depth() const { return depth_; }

private:
    int& depth_;
};

}  // namespace velmora::rules
