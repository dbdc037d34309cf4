#pragma once
#include <cstdint>
#include <vector>

namespace Delaunay {

// Cancels the edges that were collected in both directions: each edge, in
// order, cancels the first later edge that runs the other way and is not
// cancelled yet; cancelled edges become (0, 0).
//
// The same pairing comes out when each edge, in order, pairs with the
// earliest edge before it that runs the other way and is not paired yet: the
// edges of one vertex pair that wait for a partner all run one way, so they
// form a queue. The queues are found by their vertex pair in a hash table
// sized for the call's edges, which makes the work linear in the number of
// edges and the memory independent of the survey's size.
class EdgeCanceller {
 public:
  void Cancel(std::vector<int32_t>& edges);

 private:
  struct Pair {
    int32_t lo, hi;      // the vertex pair
    int32_t head, tail;  // queue of edges waiting for a partner
  };
  std::vector<int32_t> table_;  // hash of vertex pairs: index into pairs_, or -1
  std::vector<Pair> pairs_;
  std::vector<int32_t> next_;   // per edge: the next one waiting in its queue
};

}  // namespace Delaunay
