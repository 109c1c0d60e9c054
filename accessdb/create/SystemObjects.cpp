// The system objects of a new database, read from the databases we agree with: the system
// tables are the same in every ACE version and, for the four Jet tables, in the engine-made
// Jet 4 database jackcess/adox_jet4.mdb; the header values and access-control entries come from
// adox_jet4.mdb (Jet 4) and the empty Access-made .accdb files (ACE 12, 14, 16, 17), keeping
// only the entries of the objects listed in README.md. Access 97 files take theirs from the
// Access-made ucanaccess/size97.mdb (no engine-made Jet 3 file is at hand).
#include "accessdb/create/SystemObjects.h"

#include "accessdb/Error.h"

namespace accessdb::create {

const std::vector<SystemTable>& SystemTables() {
    static const std::vector<SystemTable> tables = {
        {"MSysObjects",
         0x80000000u,
         0x53,
         17,
         11,
         false,
         {{"Connect", ColumnType(0x0C), 9, 3, 0x12, 0x00, 0, 0, 0, 0},
          {"Database", ColumnType(0x0C), 8, 2, 0x12, 0x00, 0, 0, 0, 0},
          {"DateCreate", ColumnType(0x08), 4, 1, 0x13, 0x00, 10, 8, 0, 0},
          {"DateUpdate", ColumnType(0x08), 5, 1, 0x13, 0x00, 18, 8, 0, 0},
          {"Flags", ColumnType(0x04), 7, 2, 0x13, 0x00, 26, 4, 0, 0},
          {"ForeignName", ColumnType(0x0A), 10, 4, 0x12, 0x00, 0, 510, 0, 0},
          {"Id", ColumnType(0x04), 0, 0, 0x13, 0x00, 0, 4, 0, 0},
          {"Lv", ColumnType(0x0B), 13, 7, 0x12, 0x00, 0, 0, 0, 0},
          {"LvExtra", ColumnType(0x0B), 16, 10, 0x12, 0x00, 0, 0, 0, 0},
          {"LvModule", ColumnType(0x0B), 15, 9, 0x12, 0x00, 0, 0, 0, 0},
          {"LvProp", ColumnType(0x0B), 14, 8, 0x12, 0x00, 0, 0, 0, 0},
          {"Name", ColumnType(0x0A), 2, 0, 0x12, 0x00, 0, 510, 0, 0},
          {"Owner", ColumnType(0x09), 6, 1, 0x32, 0x00, 0, 510, 0, 0},
          {"ParentId", ColumnType(0x04), 1, 0, 0x13, 0x00, 4, 4, 0, 0},
          {"RmtInfoLong", ColumnType(0x0B), 12, 6, 0x12, 0x00, 0, 0, 0, 0},
          {"RmtInfoShort", ColumnType(0x09), 11, 5, 0x12, 0x00, 0, 510, 0, 0},
          {"Type", ColumnType(0x03), 3, 1, 0x13, 0x00, 8, 2, 0, 0}},
         {{{{1, 0x01}, {2, 0x01}}, 0x81}, {{{0, 0x01}}, 0x81}},
         {{"Id", 1, 1, 1}, {"ParentIdName", 0, 0, 0}}},
        {"MSysACEs",
         0x80000000u,
         0x53,
         4,
         1,
         false,
         {{"ACM", ColumnType(0x04), 2, 1, 0x13, 0x00, 4, 4, 0, 0},
          {"FInheritable", ColumnType(0x01), 3, 1, 0x13, 0x00, 0, 1, 0, 0},
          {"ObjectId", ColumnType(0x04), 0, 0, 0x13, 0x00, 0, 4, 0, 0},
          {"SID", ColumnType(0x09), 1, 0, 0x32, 0x00, 0, 510, 0, 0}},
         {{{{0, 0x01}}, 0x88}},
         {{"ObjectId", 0, 0, 0}}},
        {"MSysQueries",
         0x80000000u,
         0x53,
         8,
         4,
         false,
         {{"Attribute", ColumnType(0x02), 1, 0, 0x13, 0x00, 4, 1, 0, 0},
          {"Expression", ColumnType(0x0C), 5, 3, 0x12, 0x00, 0, 0, 0, 0},
          {"Flag", ColumnType(0x03), 6, 4, 0x13, 0x00, 5, 2, 0, 0},
          {"LvExtra", ColumnType(0x04), 7, 4, 0x13, 0x00, 7, 4, 0, 0},
          {"Name1", ColumnType(0x0A), 3, 1, 0x12, 0x00, 0, 510, 0, 0},
          {"Name2", ColumnType(0x0A), 4, 2, 0x12, 0x00, 0, 510, 0, 0},
          {"ObjectId", ColumnType(0x04), 0, 0, 0x13, 0x00, 0, 4, 0, 0},
          {"Order", ColumnType(0x09), 2, 0, 0x12, 0x00, 0, 510, 0, 0}},
         {{{{0, 0x01}, {1, 0x01}, {2, 0x01}}, 0x81}},
         {{"ObjectIdAttribute", 0, 0, 1}}},
        {"MSysRelationships",
         0x80000000u,
         0x53,
         8,
         5,
         false,
         {{"ccolumn", ColumnType(0x04), 2, 1, 0x13, 0x00, 4, 4, 0, 0},
          {"grbit", ColumnType(0x04), 1, 1, 0x13, 0x00, 0, 4, 0, 0},
          {"icolumn", ColumnType(0x04), 3, 1, 0x13, 0x00, 8, 4, 0, 0},
          {"szColumn", ColumnType(0x0A), 5, 2, 0x12, 0x00, 0, 510, 0, 0},
          {"szObject", ColumnType(0x0A), 4, 1, 0x12, 0x00, 0, 510, 0, 0},
          {"szReferencedColumn", ColumnType(0x0A), 7, 4, 0x12, 0x00, 0, 510, 0, 0},
          {"szReferencedObject", ColumnType(0x0A), 6, 3, 0x12, 0x00, 0, 510, 0, 0},
          {"szRelationship", ColumnType(0x0A), 0, 0, 0x12, 0x00, 0, 510, 0, 0}},
         {{{{0, 0x01}}, 0x82}, {{{4, 0x01}}, 0x82}, {{{6, 0x01}}, 0x82}},
         {{"szObject", 1, 1, 0}, {"szReferencedObject", 2, 2, 0}, {"szRelationship", 0, 0, 0}}},
        {"MSysComplexColumns",
         0x80000000u,
         0x4E,
         5,
         1,
         true,
         {{"ColumnName", ColumnType(0x0A), 0, 0, 0x12, 0x00, 0, 510, 0, 0},
          {"ComplexID", ColumnType(0x04), 4, 1, 0x17, 0x00, 12, 4, 0, 0},
          {"ComplexTypeObjectID", ColumnType(0x04), 1, 1, 0x13, 0x00, 0, 4, 0, 0},
          {"ConceptualTableID", ColumnType(0x04), 3, 1, 0x13, 0x00, 8, 4, 0, 0},
          {"FlatTableID", ColumnType(0x04), 2, 1, 0x13, 0x00, 4, 4, 0, 0}},
         {{{{4, 0x01}}, 0x8B}, {{{3, 0x01}}, 0x8A}, {{{2, 0x01}}, 0x8A}},
         {{"IdxConceptualTableID", 1, 1, 0}, {"IdxFlatTableID", 2, 2, 0}, {"IdxID", 0, 0, 1}}},
        {"MSysComplexType_UnsignedByte",
         0x80030000u,
         0x4E,
         1,
         0,
         true,
         {{"Value", ColumnType(0x02), 0, 0, 0x03, 0x00, 0, 1, 0, 0}},
         {},
         {}},
        {"MSysComplexType_Short",
         0x80030000u,
         0x4E,
         1,
         0,
         true,
         {{"Value", ColumnType(0x03), 0, 0, 0x03, 0x00, 0, 2, 0, 0}},
         {},
         {}},
        {"MSysComplexType_Long",
         0x80030000u,
         0x4E,
         1,
         0,
         true,
         {{"Value", ColumnType(0x04), 0, 0, 0x03, 0x00, 0, 4, 0, 0}},
         {},
         {}},
        {"MSysComplexType_IEEESingle",
         0x80030000u,
         0x4E,
         1,
         0,
         true,
         {{"Value", ColumnType(0x06), 0, 0, 0x03, 0x00, 0, 4, 0, 0}},
         {},
         {}},
        {"MSysComplexType_IEEEDouble",
         0x80030000u,
         0x4E,
         1,
         0,
         true,
         {{"Value", ColumnType(0x07), 0, 0, 0x03, 0x00, 0, 8, 0, 0}},
         {},
         {}},
        {"MSysComplexType_GUID",
         0x80030000u,
         0x4E,
         1,
         0,
         true,
         {{"Value", ColumnType(0x0F), 0, 0, 0x03, 0x00, 0, 16, 0, 0}},
         {},
         {}},
        {"MSysComplexType_Decimal",
         0x80030000u,
         0x4E,
         1,
         1,
         true,
         {{"Value", ColumnType(0x10), 0, 0, 0x02, 0x00, 0, 9, 18, 0}},
         {},
         {}},
        {"MSysComplexType_Text",
         0x80030000u,
         0x4E,
         1,
         1,
         true,
         {{"Value", ColumnType(0x0A), 0, 0, 0x02, 0x00, 0, 510, 0, 0}},
         {},
         {}},
        {"MSysComplexType_Attachment",
         0x80030000u,
         0x4E,
         6,
         4,
         true,
         {{"FileData", ColumnType(0x0B), 3, 3, 0x02, 0x10, 0, 0, 0, 0},
          {"FileFlags", ColumnType(0x04), 5, 4, 0x03, 0x10, 8, 4, 0, 0},
          {"FileName", ColumnType(0x0A), 1, 1, 0x02, 0x10, 0, 510, 0, 0},
          {"FileTimeStamp", ColumnType(0x08), 4, 4, 0x03, 0x10, 0, 8, 0, 0},
          {"FileType", ColumnType(0x0A), 2, 2, 0x02, 0x10, 0, 510, 0, 0},
          {"FileURL", ColumnType(0x0C), 0, 0, 0x02, 0x10, 0, 0, 0, 0}},
         {},
         {}},
    };
    return tables;
}

// The four Jet tables of an Access 97 database, as Access wrote them into ucanaccess/size97.mdb:
// Text and Binary lengths in bytes (255), blocks in column-number order, the Jet 3 index flags,
// and MSysQueries without LvExtra. The fixed offsets Access left in the blocks of variable
// columns are kept as found.
const std::vector<SystemTable>& Jet3SystemTables() {
    static const std::vector<SystemTable> tables = {
        {"MSysObjects",
         0x80000000u,
         0x53,
         17,
         11,
         false,
         {{"Id", ColumnType(0x04), 0, 0, 0x13, 0x00, 0, 4, 0, 0},
          {"ParentId", ColumnType(0x04), 1, 0, 0x13, 0x00, 4, 4, 0, 0},
          {"Name", ColumnType(0x0A), 2, 0, 0x12, 0x00, 0, 255, 0, 0},
          {"Type", ColumnType(0x03), 3, 1, 0x13, 0x00, 8, 2, 0, 0},
          {"DateCreate", ColumnType(0x08), 4, 1, 0x13, 0x00, 10, 8, 0, 0},
          {"DateUpdate", ColumnType(0x08), 5, 1, 0x13, 0x00, 18, 8, 0, 0},
          {"Owner", ColumnType(0x09), 6, 1, 0x32, 0x00, 0, 255, 0, 0},
          {"Flags", ColumnType(0x04), 7, 2, 0x13, 0x00, 26, 4, 0, 0},
          {"Database", ColumnType(0x0C), 8, 2, 0x12, 0x00, 0, 0, 0, 0},
          {"Connect", ColumnType(0x0C), 9, 3, 0x12, 0x00, 0, 0, 0, 0},
          {"ForeignName", ColumnType(0x0A), 10, 4, 0x12, 0x00, 0, 255, 0, 0},
          {"RmtInfoShort", ColumnType(0x09), 11, 5, 0x12, 0x00, 0, 255, 0, 0},
          {"RmtInfoLong", ColumnType(0x0B), 12, 6, 0x12, 0x00, 0, 0, 0, 0},
          {"Lv", ColumnType(0x0B), 13, 7, 0x12, 0x00, 0, 0, 0, 0},
          {"LvProp", ColumnType(0x0B), 14, 8, 0x12, 0x00, 0, 0, 0, 0},
          {"LvModule", ColumnType(0x0B), 15, 9, 0x12, 0x00, 0, 0, 0, 0},
          {"LvExtra", ColumnType(0x0B), 16, 10, 0x12, 0x00, 0, 0, 0, 0}},
         {{{{1, 0x01}, {2, 0x01}}, 0x01}, {{{0, 0x01}}, 0x01}},
         {{"Id", 1, 1, 1}, {"ParentIdName", 0, 0, 0}}},
        {"MSysACEs",
         0x80000000u,
         0x53,
         4,
         1,
         false,
         {{"ObjectId", ColumnType(0x04), 0, 0, 0x13, 0x00, 0, 4, 0, 0},
          {"SID", ColumnType(0x09), 1, 0, 0x32, 0x00, 0, 255, 0, 0},
          {"ACM", ColumnType(0x04), 2, 1, 0x13, 0x00, 4, 4, 0, 0},
          {"FInheritable", ColumnType(0x01), 3, 1, 0x13, 0x00, 0, 1, 0, 0}},
         {{{{0, 0x01}}, 0x08}},
         {{"ObjectId", 0, 0, 0}}},
        {"MSysQueries",
         0x80000000u,
         0x53,
         7,
         4,
         false,
         {{"ObjectId", ColumnType(0x04), 0, 0, 0x13, 0x00, 0, 4, 0, 0},
          {"Attribute", ColumnType(0x02), 1, 0, 0x13, 0x00, 4, 1, 0, 0},
          {"Order", ColumnType(0x09), 2, 0, 0x12, 0x00, 4, 255, 0, 0},
          {"Name1", ColumnType(0x0A), 3, 1, 0x12, 0x00, 4, 255, 0, 0},
          {"Name2", ColumnType(0x0A), 4, 2, 0x12, 0x00, 4, 255, 0, 0},
          {"Expression", ColumnType(0x0C), 5, 3, 0x12, 0x00, 255, 0, 0, 0},
          {"Flag", ColumnType(0x03), 6, 4, 0x13, 0x00, 5, 2, 0, 0}},
         {{{{0, 0x01}, {1, 0x01}, {2, 0x01}}, 0x01}},
         {{"ObjectIdAttribute", 0, 0, 1}}},
        {"MSysRelationships",
         0x80000000u,
         0x53,
         8,
         5,
         false,
         {{"szRelationship", ColumnType(0x0A), 0, 0, 0x12, 0x00, 0, 255, 0, 0},
          {"grbit", ColumnType(0x04), 1, 1, 0x13, 0x00, 0, 4, 0, 0},
          {"ccolumn", ColumnType(0x04), 2, 1, 0x13, 0x00, 4, 4, 0, 0},
          {"icolumn", ColumnType(0x04), 3, 1, 0x13, 0x00, 8, 4, 0, 0},
          {"szObject", ColumnType(0x0A), 4, 1, 0x12, 0x00, 0, 255, 0, 0},
          {"szColumn", ColumnType(0x0A), 5, 2, 0x12, 0x00, 0, 255, 0, 0},
          {"szReferencedObject", ColumnType(0x0A), 6, 3, 0x12, 0x00, 0, 255, 0, 0},
          {"szReferencedColumn", ColumnType(0x0A), 7, 4, 0x12, 0x00, 0, 255, 0, 0}},
         {{{{0, 0x01}}, 0x02}, {{{4, 0x01}}, 0x02}, {{{6, 0x01}}, 0x02}},
         {{"szObject", 1, 1, 0}, {"szReferencedObject", 2, 2, 0}, {"szRelationship", 0, 0, 0}}}};
    return tables;
}

namespace {

// empty2010.accdb and empty2016.accdb share a header creation date, and with it the stored
// security ids, so their access-control entries are one list.
const std::vector<AccessControlEntry>& AccessControlOf2010And2016() {
    static const std::vector<AccessControlEntry> entries = {
        {"Databases", "435b", 393216, false},
        {"Relationships", "425e", 983294, true},
        {"Relationships", "435b", 393217, false},
        {"Relationships",
         "419f1b72a6e785dacc8520a66c6dfc1b5151563b916c3bc7c849a7a588a3270b7c3190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcecd0021aafad6f5bea647db9059919e662b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         1048575, true},
        {"Relationships", "425b", 1048575, true},
        {"Tables", "425e", 983294, true},
        {"Tables", "435b", 1048319, true},
        {"Tables",
         "419f1b72a6e785dacc8520a66c6dfc1b5151563b916c3bc7c849a7a588a3270b7c3190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcecd0021aafad6f5bea647db9059919e662b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         1048319, true},
        {"Tables", "425b", 1048319, true},
        {"MSysDb", "435b", 393230, false},
        {"MSysDb", "425b", 14, false},
        {"MSysDb",
         "419f1b72a6e785dacc8520a66c6dfc1b5151563b916c3bc7c849a7a588a3270b7c3190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcecd0021aafad6f5bea647db9059919e662b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393230, false},
        {"MSysACEs", "435b", 393216, false},
        {"MSysACEs",
         "419f1b72a6e785dacc8520a66c6dfc1b5151563b916c3bc7c849a7a588a3270b7c3190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcecd0021aafad6f5bea647db9059919e662b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393300, false},
        {"MSysComplexColumns", "435b", 393216, false},
        {"MSysComplexColumns",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexColumns", "425b", 20, false},
        {"MSysComplexType_Attachment", "435b", 393216, false},
        {"MSysComplexType_Attachment",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_Attachment", "425b", 20, false},
        {"MSysComplexType_Decimal", "435b", 393216, false},
        {"MSysComplexType_Decimal",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_Decimal", "425b", 20, false},
        {"MSysComplexType_GUID", "435b", 393216, false},
        {"MSysComplexType_GUID",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_GUID", "425b", 20, false},
        {"MSysComplexType_IEEEDouble", "435b", 393216, false},
        {"MSysComplexType_IEEEDouble",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_IEEEDouble", "425b", 20, false},
        {"MSysComplexType_IEEESingle", "435b", 393216, false},
        {"MSysComplexType_IEEESingle",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_IEEESingle", "425b", 20, false},
        {"MSysComplexType_Long", "435b", 393216, false},
        {"MSysComplexType_Long",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_Long", "425b", 20, false},
        {"MSysComplexType_Short", "435b", 393216, false},
        {"MSysComplexType_Short",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_Short", "425b", 20, false},
        {"MSysComplexType_Text", "435b", 393216, false},
        {"MSysComplexType_Text",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_Text", "425b", 20, false},
        {"MSysComplexType_UnsignedByte", "435b", 393216, false},
        {"MSysComplexType_UnsignedByte",
         "4181c8d3c504c8f5ef8520a66c6dfc1b51dcb450c6bb0f708af0650452da64add63190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcec0f0ddef7117f0d4e511800b7ef9656e5b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysComplexType_UnsignedByte", "425b", 20, false},
        {"MSysObjects", "435b", 393216, false},
        {"MSysObjects",
         "419f1b72a6e785dacc8520a66c6dfc1b5151563b916c3bc7c849a7a588a3270b7c3190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcecd0021aafad6f5bea647db9059919e662b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393300, false},
        {"MSysObjects", "425b", 20, false},
        {"MSysQueries", "435b", 393216, false},
        {"MSysQueries",
         "419f1b72a6e785dacc8520a66c6dfc1b5151563b916c3bc7c849a7a588a3270b7c3190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcecd0021aafad6f5bea647db9059919e662b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysQueries", "425b", 20, false},
        {"MSysRelationships", "435b", 917504, false},
        {"MSysRelationships",
         "419f1b72a6e785dacc8520a66c6dfc1b5151563b916c3bc7c849a7a588a3270b7c3190ff554ef3e8b398186"
         "6eda97a9d03e5502423e01ffcecd0021aafad6f5bea647db9059919e662b43cf05787ac1276985b9f6db7bd"
         "fab76c7714ffb0dd3e0f2a3d73cb2e",
         393236, false},
        {"MSysRelationships", "425b", 20, false}};
    return entries;
}

}  // namespace

const std::vector<TargetFacts>& Targets() {
    static const std::vector<TargetFacts> targets = {
        {JetVersion::Jet3,
         "size97.mdb",
         {},  // Jet 3 headers hold no creation date
         {0x1E, 0x25, 0x00, 0x00},
         {0x0101, 0x0108},
         "0203",
         "0301",
         {{"MSysObjects", "0301", 393216, false},
          {"MSysACEs", "0301", 393216, false},
          {"MSysQueries", "0301", 393216, false},
          {"MSysRelationships", "0301", 917504, false},
          {"Tables", "0204", 983294, true},
          {"Tables", "0301", 1048319, true},
          {"Relationships", "0204", 983294, true},
          {"Relationships", "0301", 393217, false},
          {"Databases", "0301", 393216, false},
          {"MSysDb", "0301", 393230, false},
          {"MSysDb", "0201", 14, false},
          {"MSysDb",
           "01db879320814fab38df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561"
           "a1"
           "7236a4b11df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561a17236a4b"
           "11df561a17236a4b11df561a1723",
           393230, false},
          {"MSysObjects",
           "01db879320814fab38df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561"
           "a1"
           "7236a4b11df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561a17236a4b"
           "11df561a17236a4b11df561a1723",
           393300, false},
          {"MSysACEs",
           "01db879320814fab38df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561"
           "a1"
           "7236a4b11df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561a17236a4b"
           "11df561a17236a4b11df561a1723",
           393300, false},
          {"MSysQueries",
           "01db879320814fab38df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561"
           "a1"
           "7236a4b11df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561a17236a4b"
           "11df561a17236a4b11df561a1723",
           393236, false},
          {"MSysQueries", "0201", 20, false},
          {"MSysRelationships",
           "01db879320814fab38df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561"
           "a1"
           "7236a4b11df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561a17236a4b"
           "11df561a17236a4b11df561a1723",
           393236, false},
          {"MSysRelationships", "0201", 20, false},
          {"MSysObjects", "0201", 20, false},
          {"Tables",
           "01db879320814fab38df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561"
           "a1"
           "7236a4b11df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561a17236a4b"
           "11df561a17236a4b11df561a1723",
           1048319, true},
          {"Tables", "0201", 1048319, true},
          {"Relationships",
           "01db879320814fab38df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561"
           "a1"
           "7236a4b11df561a17236a4b1172cc76e4776cb172df561a17236a4b11df561a17236a4b11df561a17236a4b"
           "11df561a17236a4b11df561a1723",
           1048575, true},
          {"Relationships", "0201", 1048575, true}}},
        {JetVersion::Jet4,
         "adox_jet4.mdb",
         {0x3E, 0x85, 0xD3, 0x3B, 0x3E, 0xAB, 0xE4, 0x40},
         {0x1C, 0x26, 0x00, 0x00},
         {0x0101, 0x0100},
         "6589",
         "648b",
         {{"MSysObjects", "648b", 393216, false},
          {"MSysACEs", "648b", 393216, false},
          {"MSysQueries", "648b", 393216, false},
          {"MSysRelationships", "648b", 917504, false},
          {"Tables", "658e", 983294, true},
          {"Tables", "648b", 393217, false},
          {"Relationships", "658e", 983294, true},
          {"Relationships", "648b", 393217, false},
          {"Databases", "648b", 393216, false},
          {"MSysDb", "648b", 393230, false},
          {"MSysDb", "658b", 14, false},
          {"MSysQueries", "658b", 20, false},
          {"MSysRelationships", "658b", 20, false},
          {"MSysObjects", "658b", 20, false},
          {"Tables", "658b", 1048319, true},
          {"Relationships", "658b", 1048575, true}}},
        {JetVersion::Ace12,
         "empty2007.accdb",
         {0xE6, 0xCE, 0x87, 0x81, 0x53, 0xA6, 0xE3, 0x40},
         {0xA6, 0x11, 0x00, 0x00},
         {0x011E, 0x017A},
         "52a6",
         "53a4",
         {{"MSysComplexColumns", "53a4", 393216, false},
          {"MSysComplexType_UnsignedByte", "53a4", 393216, false},
          {"MSysComplexType_Short", "53a4", 393216, false},
          {"MSysComplexType_Long", "53a4", 393216, false},
          {"MSysComplexType_IEEESingle", "53a4", 393216, false},
          {"MSysComplexType_IEEEDouble", "53a4", 393216, false},
          {"MSysComplexType_GUID", "53a4", 393216, false},
          {"MSysComplexType_Decimal", "53a4", 393216, false},
          {"MSysComplexType_Text", "53a4", 393216, false},
          {"MSysComplexType_Attachment", "53a4", 393216, false},
          {"MSysComplexColumns",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_UnsignedByte",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_Short",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_Long",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_IEEESingle",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_IEEEDouble",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_GUID",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_Decimal",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_Text",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexType_Attachment",
           "517e034aac2b97f4119da660dde959a92a15a21de84bf0233bae68c585357d384bdd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd9dd72ab506dde14c73e964693be9ed78e8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysComplexColumns", "52a4", 20, false},
          {"MSysComplexType_UnsignedByte", "52a4", 20, false},
          {"MSysComplexType_Short", "52a4", 20, false},
          {"MSysComplexType_Long", "52a4", 20, false},
          {"MSysComplexType_IEEESingle", "52a4", 20, false},
          {"MSysComplexType_IEEEDouble", "52a4", 20, false},
          {"MSysComplexType_GUID", "52a4", 20, false},
          {"MSysComplexType_Decimal", "52a4", 20, false},
          {"MSysComplexType_Text", "52a4", 20, false},
          {"MSysComplexType_Attachment", "52a4", 20, false},
          {"Databases", "53a4", 393216, false},
          {"Relationships", "52a1", 983294, true},
          {"Relationships", "53a4", 393217, false},
          {"Relationships",
           "5160d0ebcfc8dadb329da660dde959a92a984076bf9cc4947917aa645f4c3e9ee1dd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd42d8eeedbacdb7e8468cdddb4d665dffe8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           1048575, true},
          {"Relationships", "52a4", 1048575, true},
          {"Tables", "52a1", 983294, true},
          {"Tables", "53a4", 1048319, true},
          {"Tables",
           "5160d0ebcfc8dadb329da660dde959a92a984076bf9cc4947917aa645f4c3e9ee1dd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd42d8eeedbacdb7e8468cdddb4d665dffe8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           1048319, true},
          {"Tables", "52a4", 1048319, true},
          {"MSysDb", "53a4", 393230, false},
          {"MSysDb", "52a4", 14, false},
          {"MSysDb",
           "5160d0ebcfc8dadb329da660dde959a92a984076bf9cc4947917aa645f4c3e9ee1dd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd42d8eeedbacdb7e8468cdddb4d665dffe8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393230, false},
          {"MSysACEs", "53a4", 393216, false},
          {"MSysACEs",
           "5160d0ebcfc8dadb329da660dde959a92a984076bf9cc4947917aa645f4c3e9ee1dd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd42d8eeedbacdb7e8468cdddb4d665dffe8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393300, false},
          {"MSysObjects", "53a4", 393216, false},
          {"MSysObjects",
           "5160d0ebcfc8dadb329da660dde959a92a984076bf9cc4947917aa645f4c3e9ee1dd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd42d8eeedbacdb7e8468cdddb4d665dffe8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393300, false},
          {"MSysObjects", "52a4", 20, false},
          {"MSysQueries", "53a4", 393216, false},
          {"MSysQueries",
           "5160d0ebcfc8dadb329da660dde959a92a984076bf9cc4947917aa645f4c3e9ee1dd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd42d8eeedbacdb7e8468cdddb4d665dffe8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysQueries", "52a4", 20, false},
          {"MSysRelationships", "53a4", 917504, false},
          {"MSysRelationships",
           "5160d0ebcfc8dadb329da660dde959a92a984076bf9cc4947917aa645f4c3e9ee1dd65f12e16dce27ae645a"
           "379d60055426e134971171a52bd42d8eeedbacdb7e8468cdddb4d665dffe8dfad73fb4bd55a2edd06a54028"
           "6b01e6644ed9e13fd7e806eab30fdf",
           393236, false},
          {"MSysRelationships", "52a4", 20, false}}},
        {JetVersion::Ace14,
         "empty2010.accdb",
         {0x06, 0x88, 0x20, 0xE2, 0xB7, 0xD7, 0xE3, 0x40},
         {0xA6, 0x11, 0x00, 0x00},
         {0x010E, 0x013C},
         "4259",
         "435b",
         AccessControlOf2010And2016()},
        {JetVersion::Ace16,
         "empty2016.accdb",
         {0x06, 0x88, 0x20, 0xE2, 0xB7, 0xD7, 0xE3, 0x40},
         {0xA6, 0x11, 0x00, 0x00},
         {0x010E, 0x0189},
         "4259",
         "435b",
         AccessControlOf2010And2016()},
        {JetVersion::Ace17,
         "empty2019.accdb",
         {0xBC, 0x5D, 0x7E, 0xD9, 0xDA, 0xA7, 0xE5, 0x40},
         {0xA6, 0x11, 0x00, 0x00},
         {0x0145, 0x0143},
         "a73e",
         "a63c",
         {{"MSysObjects", "a63c", 393216, false},
          {"MSysComplexColumns", "a63c", 393216, false},
          {"MSysComplexType_UnsignedByte", "a63c", 393216, false},
          {"MSysComplexType_Short", "a63c", 393216, false},
          {"MSysComplexType_Long", "a63c", 393216, false},
          {"MSysComplexType_IEEESingle", "a63c", 393216, false},
          {"MSysComplexType_IEEEDouble", "a63c", 393216, false},
          {"MSysComplexType_GUID", "a63c", 393216, false},
          {"MSysComplexType_Decimal", "a63c", 393216, false},
          {"MSysComplexType_Text", "a63c", 393216, false},
          {"MSysComplexType_Attachment", "a63c", 393216, false},
          {"MSysACEs", "a63c", 393216, false},
          {"MSysQueries", "a63c", 393216, false},
          {"MSysRelationships", "a63c", 917504, false},
          {"Tables", "a739", 983294, true},
          {"Tables", "a63c", 1048319, true},
          {"Relationships", "a739", 983294, true},
          {"Relationships", "a63c", 393217, false},
          {"Databases", "a63c", 393216, false},
          {"MSysDb", "a63c", 393230, false},
          {"MSysDb", "a73c", 14, false},
          {"MSysDb",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393230, false},
          {"MSysObjects",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393300, false},
          {"MSysComplexColumns",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_UnsignedByte",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_Short",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_Long",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_IEEESingle",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_IEEEDouble",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_GUID",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_Decimal",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_Text",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysComplexType_Attachment",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysACEs",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393300, false},
          {"MSysQueries",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysQueries", "a73c", 20, false},
          {"MSysRelationships",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           393236, false},
          {"MSysRelationships", "a73c", 20, false},
          {"MSysObjects", "a73c", 20, false},
          {"MSysComplexColumns", "a73c", 20, false},
          {"MSysComplexType_UnsignedByte", "a73c", 20, false},
          {"MSysComplexType_Short", "a73c", 20, false},
          {"MSysComplexType_Long", "a73c", 20, false},
          {"MSysComplexType_IEEESingle", "a73c", 20, false},
          {"MSysComplexType_IEEEDouble", "a73c", 20, false},
          {"MSysComplexType_GUID", "a73c", 20, false},
          {"MSysComplexType_Decimal", "a73c", 20, false},
          {"MSysComplexType_Text", "a73c", 20, false},
          {"MSysComplexType_Attachment", "a73c", 20, false},
          {"Tables",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           1048319, true},
          {"Tables", "a73c", 1048319, true},
          {"Relationships",
           "a4e627ff420070b1912cbadf7289aef81692b9ad97679f888bb33c5f7456d7c562728206dd0ecee061ed0de"
           "f6df710f92fdcc56dddec51b32125fb38a7b90a23f1bc4bb623f994de8867e5a5b163e182bc883b8a1787de"
           "e4ef930133b723c0796493229ef9b8",
           1048575, true},
          {"Relationships", "a73c", 1048575, true}}},
    };
    return targets;
}

std::vector<std::uint8_t> FromHex(const char* hex) {
    auto nibble = [](char c) {
        return static_cast<std::uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    };
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; hex[i] != 0 && hex[i + 1] != 0; i += 2) {
        out.push_back(static_cast<std::uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    }
    return out;
}

const TargetFacts& TargetFor(JetVersion version) {
    if (version == JetVersion::Ace15) {
        version = JetVersion::Ace14;
    }
    for (const TargetFacts& facts : Targets()) {
        if (facts.version == version) {
            return facts;
        }
    }
    throw Error(ErrorKind::NotSupported, "New databases cannot be written in this format.");
}

}  // namespace accessdb::create
