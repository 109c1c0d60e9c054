#pragma once
// Insertion into one real index's B-tree, with page splits. The root page never moves: when it
// overflows its entries move to a new page below it. Node pages keep their last child in the
// "tail" field when they have two or more children; leaf pages are chained across their level,
// node pages only among children of the same parent.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/index/IndexNodeCache.h"
#include "accessdb/index/IndexPage.h"
#include "accessdb/index/StoredLeaf.h"

namespace accessdb {

class IndexTree {
  public:
    // `allocate` returns a new page for this index (already recorded in the index's owned-pages
    // map and taken out of the file's free pages). With `cache`, decoded pages are taken from
    // and left in it (a writer keeps one for its session); without, every page is decoded.
    IndexTree(PageFile& pages, std::uint32_t rootPage, std::uint32_t owner,
              std::function<MutablePageRef()> allocate, IndexNodeCache* cache = nullptr);

    struct InsertResult {
        bool duplicateKey = false;  // the key bytes equal a neighbour's (nothing was inserted
                                    // when the index is unique)
        bool newKey = false;        // the key differs from both neighbours
    };

    // Inserts the entry for (key, row). With `unique`, an equal key already present is refused
    // (duplicateKey set, nothing changed). Throws Damaged for a tree that does not hold together.
    InsertResult Insert(const KeyBytes& key, RowPointer row, bool unique);

    // Every leaf entry in index order (for checks and tests).
    std::vector<IndexEntry> Entries();
    // Whether an entry with exactly these key bytes exists.
    bool ContainsKey(const KeyBytes& key);

  private:
    struct Outcome {
        std::optional<IndexEntry> newLast;  // the subtree's last entry changed to this
        std::vector<IndexEntry> splits;     // entries (with child) for new left siblings
    };

    // A decoded page for reading (shared with the cache: never change it).
    IndexNodeRef Load(std::uint32_t page);
    // A decoded page for changing: out of the cache until Store() or Keep() puts it back, so
    // that a change cut short by an error cannot outlive the statement.
    IndexNodeRef Edit(std::uint32_t page);
    // Encodes `node` onto its page (re-encoded on every change, so that the page bytes, the
    // statement's savepoint and the group's journal stay what they are without a cache).
    void Store(std::uint32_t page, IndexNodeRef node);
    // Writes entry `index`, just inserted into `node`, onto the page in place (see
    // InsertEncodedEntry) and puts the node back; false when the page must be encoded whole.
    bool StoreInserted(std::uint32_t page, IndexNodeRef node, std::size_t index,
                       std::size_t prefix);
    // Takes the node of `page`, loaded with Load(), out of the cache before it is changed
    // (see Edit()); Store() puts it back.
    void TakeForChange(std::uint32_t page);
    // Puts back a node taken with Edit() and left unchanged.
    void Keep(std::uint32_t page, IndexNodeRef node);
    Outcome InsertInto(std::uint32_t page, const IndexEntry& entry, int depth);
    // Inserts into a leaf as it is stored, without decoding it (see StoredLeaf); nothing when
    // the page or the insert is not one it takes (the caller then decodes the page).
    std::optional<Outcome> InsertIntoStoredLeaf(std::uint32_t page, const IndexEntry& entry);
    std::vector<IndexEntry> SplitWhileTooLarge(std::uint32_t page, IndexPageContent& content);
    IndexEntry SplitOnce(std::uint32_t page, IndexPageContent& content);
    void NestRoot(IndexPageContent& root);
    IndexEntry LastEntryOf(std::uint32_t page, int depth);
    std::uint32_t FirstLeaf();
    std::optional<IndexEntry> Neighbour(const IndexPageContent& leaf, bool previous);
    static void Normalise(IndexPageContent& node);

    PageFile& pages_;
    std::uint32_t root_;
    std::uint32_t owner_;
    std::function<MutablePageRef()> allocate_;
    IndexNodeCache* cache_;
    std::size_t capacity_;
    StoredLeaf storedLeaf_;  // reused: its entry ends are the only memory it needs
    InsertResult result_;
    bool unique_ = false;
};

}  // namespace accessdb
