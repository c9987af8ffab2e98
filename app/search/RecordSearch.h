#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace gearlog {

class Store;

// Finding any record by a text typed or scanned: assets by ID, serial
// number, model number or equipment type name; shipments by name,
// consignment note, receiver or carrier; equipment types, contacts (name,
// phone, e-mail) and addresses by name. Case and accents are ignored, the
// text is found anywhere in a value, and the best matches come first
// (a value equal to the text, then one that begins with it).

enum class SearchKind { Asset, Shipment, Equipment, Contact, Address };

struct SearchHit {
    SearchKind kind = SearchKind::Asset;
    int key = 0;
    QString title;  // what the record is called
    QString detail; // what else tells it apart (an asset's type and location)
};

struct SearchGroup {
    SearchKind kind = SearchKind::Asset;
    std::vector<SearchHit> hits; // the best first
    int total = 0;               // how many match, at most searchCountCap
    bool totalCapped = false;    // more than searchCountCap match
    // Serial and model numbers, shipment names and waybills need more
    // characters than were typed, and were not searched.
    bool tooShort = false;
};

// Matches are counted up to this many.
constexpr int searchCountCap = 10000;
// Matches listed of each kind: a screenful.
constexpr int searchShown = 8;

// The kinds, in the order the results show them.
const std::array<SearchKind, 5>& search_kinds();
// "Assets", "Shipments", "Equipment types", "Contacts", "Addresses".
QString search_kind_title(SearchKind kind);
// "asset", "shipment", "equipment", "contact", "address", for programs.
QString search_kind_key(SearchKind kind);

// "Assets (1,234)", with "+" when the count was capped.
QString search_group_heading(const SearchGroup& group);
// "and 1,226 more", or nothing when every match is listed.
QString search_more_text(const SearchGroup& group);
// What to type for the fields a too short text did not search.
QString search_short_note(SearchKind kind);

// The matches of one kind, at most `shown` of them. Engine failures throw.
SearchGroup search_records(Store& store, SearchKind kind, const QString& text, int shown);

// The record that a scanned text names exactly: an asset's label text, the
// serial number of exactly one asset, or the consignment note of exactly
// one shipment (ignoring case and accents). Engine failures throw.
std::optional<SearchHit> exact_record(Store& store, const QString& text);

// The text an asset's label holds in its code: the ID with a fixed prefix,
// which a scanner types back into the search box.
QString asset_label_text(int assetId);
// The asset a label's text names (any case), or -1.
int labelled_asset(const QString& text);

} // namespace gearlog
