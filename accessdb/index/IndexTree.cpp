#include "accessdb/index/IndexTree.h"

#include <algorithm>

namespace accessdb {

namespace {
constexpr int kMaxDepth = 32;  // far more than 2^24 pages can need; guards against loops
}

namespace {

// The position of the first entry of `node` that does not sort below `entry`.
std::size_t FirstNotBelow(const IndexPageContent& node, const IndexEntry& entry) {
    const auto found = std::lower_bound(
        node.entries.begin(), node.entries.end(), entry,
        [](const IndexEntry& a, const IndexEntry& b) { return CompareEntries(a, b) < 0; });
    return static_cast<std::size_t>(found - node.entries.begin());
}

}  // namespace

IndexTree::IndexTree(PageFile& pages, std::uint32_t rootPage, std::uint32_t owner,
                     std::function<MutablePageRef()> allocate, IndexNodeCache* cache)
    : pages_(pages),
      root_(rootPage),
      owner_(owner),
      allocate_(std::move(allocate)),
      cache_(cache),
      capacity_(IndexPageCapacity(pages.format())) {}

IndexNodeRef IndexTree::Load(std::uint32_t page) {
    const PageRef bytes = pages_.Read(page);
    if (cache_ != nullptr) {
        if (IndexNodeRef node = cache_->Find(bytes)) {
            return node;
        }
    }
    auto node = std::make_shared<IndexPageContent>(DecodeIndexPage(*bytes, pages_.format()));
    if (cache_ != nullptr) {
        cache_->Put(bytes, node);
    }
    return node;
}

IndexNodeRef IndexTree::Edit(std::uint32_t page) {
    IndexNodeRef node = Load(page);
    if (cache_ != nullptr) {
        cache_->Drop(page);
    }
    return node;
}

void IndexTree::Store(std::uint32_t page, IndexNodeRef node) {
    MutablePageRef bytes = pages_.Modify(page);
    EncodeIndexPage(*node, bytes->Mutable(), pages_.format());
    node->encoded = true;
    // A leaf written here is in the form inserts take as stored (StoredLeaf): its decoding
    // would only take memory from the node pages, which every insert passes through.
    if (cache_ != nullptr && !node->leaf) {
        cache_->Put(bytes, std::move(node));
    }
}

bool IndexTree::StoreInserted(std::uint32_t page, IndexNodeRef node, std::size_t index,
                              std::size_t prefix) {
    MutablePageRef bytes = pages_.Modify(page);
    if (!InsertEncodedEntry(*node, index, prefix, bytes->Mutable(), pages_.format())) {
        return false;  // the caller encodes the whole page (splitting it first when full)
    }
#ifndef NDEBUG
    // Debug builds prove the in-place insert wrote what encoding the whole page writes.
    std::vector<std::uint8_t> whole(bytes->bytes.size());
    EncodeIndexPage(*node, whole, pages_.format());
    if (whole != bytes->bytes) {
        ThrowDamaged("an in-place index entry on page " + std::to_string(page) +
                     " differs from the page encoded whole");
    }
#endif
    if (cache_ != nullptr) {
        cache_->Put(bytes, std::move(node));
    }
    return true;
}

void IndexTree::TakeForChange(std::uint32_t page) {
    if (cache_ != nullptr) {
        cache_->Drop(page);
    }
}

void IndexTree::Keep(std::uint32_t page, IndexNodeRef node) {
    if (cache_ != nullptr) {
        cache_->Put(pages_.Read(page), std::move(node));
    }
}

IndexEntry IndexTree::LastEntryOf(std::uint32_t page, int depth) {
    if (depth > kMaxDepth) {
        ThrowDamaged("an index tree is deeper than possible (a loop of pages)");
    }
    const IndexNodeRef node = Load(page);
    const IndexPageContent& content = *node;
    if (!content.leaf && content.tail != 0) {
        return LastEntryOf(content.tail, depth + 1);
    }
    if (content.entries.empty()) {
        ThrowDamaged("an index page on the path to the last entry is empty");
    }
    IndexEntry last = content.entries.back();
    last.child = 0;
    return last;
}

// Node pages: two or more children keep the last one in the tail; a single child is stored.
void IndexTree::Normalise(IndexPageContent& node) {
    if (node.leaf) {
        return;
    }
    if (node.tail == 0 && node.entries.size() > 1) {
        node.tail = node.entries.back().child;
        node.entries.pop_back();
    } else if (node.tail != 0 && node.entries.empty()) {
        // A lone tail child becomes a stored entry; the caller fills in its last entry.
    }
}

IndexTree::InsertResult IndexTree::Insert(const KeyBytes& key, RowPointer row, bool unique) {
    result_ = InsertResult{};
    unique_ = unique;
    IndexEntry entry;
    entry.key = key;
    entry.rowPage = row.page;
    entry.row = row.row;
    InsertInto(root_, entry, 0);
    return result_;
}

std::optional<IndexEntry> IndexTree::Neighbour(const IndexPageContent& leaf, bool previous) {
    const std::uint32_t other = previous ? leaf.prev : leaf.next;
    if (other == 0) {
        return std::nullopt;
    }
    const IndexNodeRef page = Load(other);
    if (page->entries.empty()) {
        return std::nullopt;
    }
    return previous ? page->entries.back() : page->entries.front();
}

std::optional<IndexTree::Outcome> IndexTree::InsertIntoStoredLeaf(std::uint32_t page,
                                                                  const IndexEntry& entry) {
    const PageRef bytes = pages_.Read(page);
    if (bytes->Type() != kPageIndexLeaf || !storedLeaf_.Read(*bytes, pages_.format(), owner_)) {
        return std::nullopt;
    }
    const StoredLeaf::Key key = entry.key.span();
    const std::size_t position = storedLeaf_.LowerBound(key, entry.rowPage, entry.row);
    // The neighbours decide whether the key is new; past the page's ends they are on the
    // sibling pages, which the decoding path reads.
    const std::size_t count = storedLeaf_.Count();
    if (position == 0 || (position == count && storedLeaf_.NextPage() != 0)) {
        return std::nullopt;
    }
    const bool duplicate = storedLeaf_.KeyEquals(position - 1, key) ||
                           (position < count && storedLeaf_.KeyEquals(position, key));
    Outcome outcome;
    if (unique_ && duplicate) {
        result_.duplicateKey = true;
        return outcome;
    }
    if (!storedLeaf_.CanInsert(position, key)) {
        return std::nullopt;
    }
    result_.duplicateKey = duplicate;
    result_.newKey = !duplicate;
    MutablePageRef changed = pages_.ModifyParts(page, storedLeaf_.InsertParts(position, key));
    // A decoded node the cache may hold for this page is stale from here on (its version).
    storedLeaf_.Insert(*changed, position, key, entry.rowPage, entry.row);
#ifndef NDEBUG
    // Debug builds prove the page is what encoding it whole writes, with the entry in place.
    const IndexPageContent after = DecodeIndexPage(*changed, pages_.format());
    std::vector<std::uint8_t> whole(changed->bytes.size());
    EncodeIndexPage(after, whole, pages_.format());
    if (whole != changed->bytes || after.entries.size() != count + 1 ||
        CompareEntries(after.entries[position], entry) != 0) {
        ThrowDamaged("an index entry inserted into stored page " + std::to_string(page) +
                     " differs from the page encoded whole");
    }
#endif
    if (position == count) {
        outcome.newLast = entry;
    }
    return outcome;
}

IndexTree::Outcome IndexTree::InsertInto(std::uint32_t page, const IndexEntry& entry, int depth) {
    if (depth > kMaxDepth) {
        ThrowDamaged("an index tree is deeper than possible (a loop of pages)");
    }
    if (std::optional<Outcome> done = InsertIntoStoredLeaf(page, entry)) {
        return *std::move(done);
    }
    // Read-only until it must change: the descent through node pages changes none of them on
    // nearly every insert, and taking each out of the cache and putting it back cost more than
    // the search.
    const IndexNodeRef node = Load(page);
    IndexPageContent& content = *node;
    if (content.owner != owner_) {
        ThrowDamaged("index page " + std::to_string(page) + " belongs to another table");
    }
    Outcome outcome;
    if (content.leaf) {
        TakeForChange(page);
        // Keys that keep growing (AutoNumbers, dates of new records) land after the last
        // entry: try that before searching.
        auto position = content.entries.end();
        if (content.entries.empty() || CompareEntries(content.entries.back(), entry) >= 0) {
            position = std::lower_bound(
                content.entries.begin(), content.entries.end(), entry,
                [](const IndexEntry& a, const IndexEntry& b) { return CompareEntries(a, b) < 0; });
        }
        const std::size_t index = static_cast<std::size_t>(position - content.entries.begin());
        // The neighbours' keys decide whether the key is new; only at a page's ends do they
        // come from the sibling page.
        const auto sameKey = [&](bool previous) {
            if (previous ? index > 0 : index < content.entries.size()) {
                return content.entries[previous ? index - 1 : index].key == entry.key;
            }
            const std::optional<IndexEntry> other = Neighbour(content, previous);
            return other && other->key == entry.key;
        };
        result_.duplicateKey = sameKey(true) || sameKey(false);
        result_.newKey = !result_.duplicateKey;
        if (unique_ && result_.duplicateKey) {
            Keep(page, node);
            return outcome;
        }
        const std::size_t prefix = content.encoded ? content.PrefixLength() : 0;
        content.entries.insert(position, entry);
        if (index + 1 == content.entries.size()) {
            outcome.newLast = entry;
        }
        if (content.encoded && content.PrefixLength() == prefix &&
            StoreInserted(page, node, index, prefix)) {
            return outcome;
        }
    } else {
        if (content.entries.empty() && content.tail == 0) {
            ThrowDamaged("index node page " + std::to_string(page) + " has no children");
        }
        // The child whose range takes the entry: the first stored entry not below it, else
        // the last child (the tail, or the last stored entry).
        const std::size_t first = FirstNotBelow(content, entry);
        const bool toTail = first == content.entries.size() && content.tail != 0;
        const std::size_t index =
            first == content.entries.size() && !toTail ? content.entries.size() - 1 : first;
        const std::uint32_t child = toTail ? content.tail : content.entries[index].child;
        const Outcome below = InsertInto(child, entry, depth + 1);
        if (unique_ && result_.duplicateKey) {
            return outcome;
        }
        const bool lastChild = toTail || (content.tail == 0 && index + 1 == content.entries.size());
        if (below.newLast && lastChild) {
            outcome.newLast = below.newLast;
        }
        const bool newLastHere = below.newLast && !toTail;
        if (!newLastHere && below.splits.empty()) {
            return outcome;
        }
        TakeForChange(page);
        if (newLastHere) {
            IndexEntry& stored = content.entries[index];
            stored.key = below.newLast->key;
            stored.rowPage = below.newLast->rowPage;
            stored.row = below.newLast->row;
        }
        if (!below.splits.empty()) {
            content.entries.insert(content.entries.begin() + static_cast<std::ptrdiff_t>(index),
                                   below.splits.begin(), below.splits.end());
        }
        Normalise(content);
    }
    if (page == root_ && content.StoredBytes() > capacity_) {
        NestRoot(content);
        Store(page, node);
        return outcome;
    }
    outcome.splits = SplitWhileTooLarge(page, content);
    Store(page, node);
    return outcome;
}

// Moves the root's content to a new page below it and splits that page; the root becomes a
// node over the two halves.
void IndexTree::NestRoot(IndexPageContent& root) {
    MutablePageRef moved = allocate_();
    const std::uint32_t movedPage = moved->number;
    IndexPageContent lower = root;
    lower.prev = 0;
    lower.next = 0;
    IndexEntry lowerLast;
    if (!lower.leaf && lower.tail != 0) {
        lowerLast = LastEntryOf(lower.tail, 0);
    } else {
        lowerLast = lower.entries.back();
    }
    const std::vector<IndexEntry> left = SplitWhileTooLarge(movedPage, lower);
    Store(movedPage, std::make_shared<IndexPageContent>(std::move(lower)));

    const std::uint32_t unknown8 = root.unknown8;
    const std::uint8_t unknown26 = root.unknown26;
    root = IndexPageContent{};
    root.unknown8 = unknown8;
    root.unknown26 = unknown26;
    root.leaf = false;
    root.owner = owner_;
    root.entries.insert(root.entries.end(), left.begin(), left.end());
    lowerLast.child = movedPage;
    root.entries.push_back(lowerLast);
    Normalise(root);
    if (root.StoredBytes() > capacity_) {
        ThrowDamaged("an index root cannot hold two entries");
    }
}

// Splits an overfull page until it fits: each time its first half (or less, so that the half
// fits) moves to a new page inserted before it in its chain. Returns the parent's entries for
// the new pages, in order. A new first key can shorten the shared prefix so much that halving
// once is not enough.
std::vector<IndexEntry> IndexTree::SplitWhileTooLarge(std::uint32_t page,
                                                      IndexPageContent& content) {
    std::vector<IndexEntry> parentEntries;
    while (content.StoredBytes() > capacity_) {
        parentEntries.push_back(SplitOnce(page, content));
    }
    return parentEntries;
}

IndexEntry IndexTree::SplitOnce(std::uint32_t page, IndexPageContent& content) {
    if (content.entries.size() < 2) {
        ThrowDamaged("an index entry is larger than an index page");
    }
    std::size_t moveCount = (content.entries.size() + 1) / 2;
    IndexPageContent left;
    left.leaf = content.leaf;
    left.owner = owner_;
    for (;;) {
        left.entries.assign(content.entries.begin(),
                            content.entries.begin() + static_cast<std::ptrdiff_t>(moveCount));
        if (left.StoredBytes() <= capacity_ || moveCount == 1) {
            break;
        }
        moveCount = (moveCount + 1) / 2;
    }
    content.entries.erase(content.entries.begin(),
                          content.entries.begin() + static_cast<std::ptrdiff_t>(moveCount));
    // The left half's last entry is what the parent records for it.
    IndexEntry parentEntry = left.entries.back();

    MutablePageRef fresh = allocate_();
    const std::uint32_t leftPage = fresh->number;
    left.prev = content.prev;
    left.next = page;
    if (content.prev != 0) {
        const IndexNodeRef before = Edit(content.prev);
        before->next = leftPage;
        Store(content.prev, before);
    }
    content.prev = leftPage;

    if (!content.leaf) {
        // Node chains do not cross parents: cut the link between the two halves' children.
        const std::uint32_t leftLastChild = left.entries.back().child;
        const std::uint32_t rightFirstChild =
            content.entries.empty() ? content.tail : content.entries.front().child;
        const IndexNodeRef a = Edit(leftLastChild);
        if (!a->leaf) {
            a->next = 0;
            Store(leftLastChild, a);
            const IndexNodeRef b = Edit(rightFirstChild);
            b->prev = 0;
            Store(rightFirstChild, b);
        } else {
            Keep(leftLastChild, a);
        }
        Normalise(left);
        if (content.entries.empty() && content.tail != 0) {
            // The right half kept only its tail: store it as its single entry.
            IndexEntry only = LastEntryOf(content.tail, 0);
            only.child = content.tail;
            content.tail = 0;
            content.entries.push_back(only);
        }
    }
    Store(leftPage, std::make_shared<IndexPageContent>(std::move(left)));
    parentEntry.child = leftPage;
    return parentEntry;
}

std::uint32_t IndexTree::FirstLeaf() {
    std::uint32_t page = root_;
    for (int depth = 0; depth <= kMaxDepth; ++depth) {
        const IndexNodeRef content = Load(page);
        if (content->leaf) {
            return page;
        }
        page = content->entries.empty() ? content->tail : content->entries.front().child;
    }
    ThrowDamaged("an index tree is deeper than possible (a loop of pages)");
}

std::vector<IndexEntry> IndexTree::Entries() {
    std::vector<IndexEntry> all;
    std::uint32_t page = FirstLeaf();
    std::size_t guard = 0;
    while (page != 0) {
        if (++guard > pages_.PageCount()) {
            ThrowDamaged("the leaf pages of an index form a loop");
        }
        const IndexNodeRef content = Load(page);
        all.insert(all.end(), content->entries.begin(), content->entries.end());
        page = content->next;
    }
    return all;
}

bool IndexTree::ContainsKey(const KeyBytes& key) {
    // Descend towards the first entry with these key bytes (the lowest row pointer sorts first).
    IndexEntry probe;
    probe.key = key;
    std::uint32_t page = root_;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth) {
            ThrowDamaged("an index tree is deeper than possible (a loop of pages)");
        }
        const IndexNodeRef node = Load(page);
        const IndexPageContent& content = *node;
        if (content.leaf) {
            for (const IndexEntry& entry : content.entries) {
                if (CompareEntries(entry, probe) >= 0) {
                    return entry.key == key;
                }
            }
            // Every entry here sorts below: the first entry of the next leaf decides.
            const std::optional<IndexEntry> next = Neighbour(content, false);
            return next && next->key == key;
        }
        const std::size_t index = FirstNotBelow(content, probe);
        if (index < content.entries.size()) {
            page = content.entries[index].child;
        } else if (content.tail != 0) {
            page = content.tail;
        } else if (!content.entries.empty()) {
            page = content.entries.back().child;
        } else {
            return false;
        }
    }
}

}  // namespace accessdb
