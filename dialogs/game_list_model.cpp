#include "dialogs/game_list_model.h"

#include "pgn/scan_games.h"
#include "platform/text.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <numeric>
#include <unordered_map>

using namespace pawnlet;

namespace {

// Tag values longer than a row can record are cut; no real tag comes near.
constexpr std::size_t MaxTextBytes = 0xFFFF;

QString Text(const std::optional<std::u16string>& text) {
    if (!text) {
        return {};
    }
    return QString::fromStdU16String(*text);
}

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Names sort as a reader of the list expects: "émile" with the E's and "anna" with "Anna",
// whatever the file's encoding. The "C" locale compares code points, which would put every
// accented name after "Z": a language's rules stand in for it.
QCollator& TextCollator() {
    static QCollator collator = [] {
        const QLocale system = QLocale::system();
        QCollator c(system.language() == QLocale::C ? QLocale(QLocale::English) : system);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

const std::optional<std::u16string>& TextOf(const GameListEntry& entry, int column) {
    switch (column) {
    case WhiteColumn:
        return entry.white;
    case BlackColumn:
        return entry.black;
    case EcoColumn:
        return entry.eco;
    case EventColumn:
        return entry.event;
    default: // Date and Start both sort by the date
        return entry.date;
    }
}

int Sign(long value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// The result as the list shows it ("½-½" for a draw), for codes 0 to 3 and anything else.
const QString& ResultCell(int code) {
    static const std::array<QString, 5> texts = [] {
        std::array<QString, 5> out;
        GameListEntry entry;
        for (int i = 0; i < 5; ++i) {
            entry.SetResult(i < 4 ? i : NoResult);
            out[std::size_t(i)] = QString::fromUtf16(entry.ResultText(true));
        }
        return out;
    }();
    return texts[std::size_t(code >= 0 && code < 4 ? code : 4)];
}

template <class Text> long ReadRoundNumber(const Text& text) {
    if (text.empty() || text.front() == '?') {
        return 0;
    }
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Too many digits saturate, as the standard conversion does.
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const long digit = long(text[i] - '0');
        value = value > (LONG_MAX - digit) / 10 ? LONG_MAX : value * 10 + digit;
    }
    return negative ? -value : value;
}

// `text` cut to at most `limit` bytes, never inside a UTF-8 sequence.
std::string_view Cut(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

// Letters that keep no base letter when their accents are taken off.
const char* PlainSpelling(char32_t c) {
    switch (c) {
    case U'\u00DF':
        return "ss";
    case U'\u00E6':
        return "ae";
    case U'\u0153':
        return "oe";
    case U'\u00F8':
        return "o";
    case U'\u0142':
        return "l";
    case U'\u0111':
    case U'\u00F0':
        return "d";
    case U'\u00FE':
        return "th";
    case U'\u0131':
        return "i";
    default:
        return nullptr;
    }
}

// Appends `utf8` to `out` as the filter compares it: lower case, accents and other marks dropped,
// the letters without a base letter spelled plain ("ø" o, "æ" ae, "ß" ss). ASCII, nearly all of a
// list, is only lowered; a character beyond it goes through Unicode's decomposition.
void AppendFolded(std::string_view utf8, std::string& out) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out.push_back(byte >= 'A' && byte <= 'Z' ? char(byte - 'A' + 'a') : char(byte));
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            ++end;
        }
        const QString character = Text(utf8.substr(i, end - i));
        i = end;
        const QString lowered = character.toCaseFolded();
        const QList<uint> codes = lowered.toUcs4();
        if (codes.size() == 1) {
            if (const char* plain = PlainSpelling(char32_t(codes.front()))) {
                out += plain;
                continue;
            }
        }
        QString kept;
        for (QChar c : lowered.normalized(QString::NormalizationForm_KD)) {
            if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_Enclosing &&
                c.category() != QChar::Mark_SpacingCombining) {
                kept += c;
            }
        }
        const QByteArray bytes = kept.toCaseFolded().toUtf8();
        out.append(bytes.constData(), std::size_t(bytes.size()));
    }
}

// The result as the filter searches it: as shown, and a draw also as written ("1/2-1/2").
const std::string& FoldedResult(int code) {
    static const std::array<std::string, 5> texts = [] {
        std::array<std::string, 5> out;
        for (int i = 0; i < 5; ++i) {
            const QByteArray shown = ResultCell(i < 4 ? i : NoResult).toUtf8();
            AppendFolded(std::string_view(shown.constData(), std::size_t(shown.size())),
                         out[std::size_t(i)]);
            if (i == Draw) {
                out[std::size_t(i)] += "\n1/2-1/2";
            }
        }
        return out;
    }();
    return texts[std::size_t(code >= 0 && code < 4 ? code : 4)];
}

} // namespace

long RoundNumber(std::u16string_view round) {
    return ReadRoundNumber(round);
}

long RoundNumber(const std::optional<std::u16string>& round) {
    return round ? RoundNumber(std::u16string_view(*round)) : 0;
}

int CompareGameEntries(const GameListEntry& a, const GameListEntry& b, int key) {
    const int direction = key % 2;
    const int column = key / 2;
    const int sign = direction == 0 ? 1 : -1;
    switch (column) {
    case WhiteColumn:
    case BlackColumn:
    case EcoColumn:
    case EventColumn:
    case DateColumn:
    case StartColumn:
        return sign *
               Sign(TextCollator().compare(Text(TextOf(a, column)), Text(TextOf(b, column))));
    case ResultColumn:
        if (a.result < b.result) {
            return sign;
        }
        if (a.result > b.result) {
            return -sign;
        }
        return 0;
    case RoundColumn: {
        const long ra = RoundNumber(a.round), rb = RoundNumber(b.round);
        return sign * (ra < rb ? -1 : (ra > rb ? 1 : 0));
    }
    default:
        return 0;
    }
}

// Blocks

std::uint32_t GameListModel::Blocks::Add(std::string_view bytes) {
    if (bytes.empty()) {
        return 0; // read back with length 0, never looked at
    }
    if (used + bytes.size() > BlockSize) {
        // Not zeroed: the pages a block has not used yet cost no memory.
        blocks.push_back(std::make_unique_for_overwrite<char[]>(BlockSize));
        used = 0;
    }
    const std::size_t position = (blocks.size() - 1) * BlockSize + used;
    std::memcpy(blocks.back().get() + used, bytes.data(), bytes.size());
    used += bytes.size();
    return std::uint32_t(position);
}

std::string_view GameListModel::Blocks::At(std::uint32_t position, std::size_t length) const {
    if (length == 0) {
        return {};
    }
    return std::string_view(blocks[position / BlockSize].get() + position % BlockSize, length);
}

// Model

GameListModel::GameListModel(QObject* parent) : QAbstractTableModel(parent) {}

GameListModel::~GameListModel() = default;

void GameListModel::Append(std::unique_ptr<GameListEntry> entry) {
    if (!entry) {
        return;
    }
    const std::optional<std::u16string>* sources[SlotCount] = {
        &entry->white, &entry->black, &entry->eco,        &entry->event,
        &entry->round, &entry->date,  &entry->firstMoves, &entry->site};
    std::string utf8[SlotCount];
    std::string_view texts[SlotCount];
    Game game;
    game.startOffset = entry->startOffset;
    game.result = std::int8_t(entry->result);
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (*sources[slot]) {
            utf8[slot] = platform::ToUtf8(**sources[slot]);
        } else {
            game.none |= std::uint8_t(1u << slot);
        }
        texts[slot] = utf8[slot];
    }
    AddGame(game, texts);
}

void GameListModel::Append(const ScannedGame& scanned) {
    const std::string* sources[SlotCount] = {&scanned.white,      &scanned.black, &scanned.eco,
                                             &scanned.event,      &scanned.round, &scanned.date,
                                             &scanned.firstMoves, &scanned.site};
    // ASCII and UTF-8 games are stored as they are; a Windows-1252 game beyond ASCII, rare,
    // goes through UTF-16.
    std::string utf8[SlotCount];
    std::string_view texts[SlotCount];
    Game game;
    game.startOffset = scanned.startOffset;
    game.result = std::int8_t(scanned.result);
    if (!scanned.hasEco) {
        game.none |= std::uint8_t(1u << Eco);
    }
    for (int slot = 0; slot < SlotCount; ++slot) {
        texts[slot] = *sources[slot];
        if (scanned.encoding == platform::TextEncoding::Ansi &&
            platform::HasHighByte(texts[slot])) {
            utf8[slot] = platform::ToUtf8(platform::AnsiToWide(texts[slot]));
            texts[slot] = utf8[slot];
        }
    }
    AddGame(game, texts);
}

void GameListModel::AddGame(Game game, const std::string_view (&texts)[SlotCount]) {
    scratch.clear();
    for (int slot = 0; slot < SlotCount; ++slot) {
        const std::string_view text = Cut(texts[slot], MaxTextBytes);
        game.length[slot] = std::uint16_t(text.size());
        scratch += text;
    }
    game.text = textBlocks.Add(scratch);

    // What the filter searches: the columns a user names a game by, one per line so that a
    // search never runs from one into the next.
    scratch.clear();
    for (int slot : {White, Black, Event, Site, Round, Date, Eco}) {
        AppendFolded(TextOf(game, slot), scratch);
        scratch += '\n';
    }
    scratch += FoldedResult(game.result);
    const std::string_view folded = Cut(scratch, MaxTextBytes);
    game.foldedLength = std::uint16_t(folded.size());
    game.folded = foldedBlocks.Add(folded);
    games.push_back(game);
}

std::string_view GameListModel::TextOf(const Game& game, int slot) const {
    std::uint32_t position = game.text;
    for (int before = 0; before < slot; ++before) {
        position += game.length[before];
    }
    return textBlocks.At(position, game.length[slot]);
}

bool GameListModel::Matches(const Game& game) const {
    return foldedBlocks.At(game.folded, game.foldedLength).find(foldedFilter) !=
           std::string_view::npos;
}

void GameListModel::EndAppend() {
    const int total = int(games.size());
    if (appended == total) {
        return;
    }
    const int firstNew = int(shown.size());
    for (int index = appended; index < total; ++index) {
        order.push_back(index);
        const bool match = foldedFilter.empty() || Matches(games[std::size_t(index)]);
        matching.push_back(char(match));
        if (match) {
            shown.push_back(index);
        }
    }
    appended = total;
    // Ranks hold for the games they were made from only.
    for (std::vector<std::uint32_t>& ranks : textRanks) {
        ranks.clear();
    }
    if (int(shown.size()) == firstNew) {
        return;
    }
    const std::vector<int> added(shown.begin() + firstNew, shown.end());
    shown.resize(std::size_t(firstNew));
    beginInsertRows(QModelIndex(), firstNew, firstNew + int(added.size()) - 1);
    shown.insert(shown.end(), added.begin(), added.end());
    endInsertRows();
}

const std::vector<std::uint32_t>& GameListModel::TextRanks(int slot) {
    std::vector<std::uint32_t>& ranks = textRanks[slot];
    if (ranks.size() == games.size()) {
        return ranks;
    }
    // The collator orders each distinct text once, through its sort key; the rows then compare
    // two integers. A list names the same players, events and dates over and over, so there are
    // far fewer distinct texts than rows, and the keys are dropped once the ranks are made.
    std::unordered_map<std::string_view, std::uint32_t> ids;
    std::vector<std::string_view> distinct;
    std::vector<std::uint32_t> idOf(games.size());
    for (std::size_t i = 0; i < games.size(); ++i) {
        const auto [at, added] =
            ids.try_emplace(TextOf(games[i], slot), std::uint32_t(distinct.size()));
        if (added) {
            distinct.push_back(at->first);
        }
        idOf[i] = at->second;
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(distinct.size());
    for (std::string_view text : distinct) {
        keys.push_back(TextCollator().sortKey(Text(text)));
    }
    std::vector<std::uint32_t> byKey(distinct.size());
    std::iota(byKey.begin(), byKey.end(), 0u);
    std::sort(byKey.begin(), byKey.end(),
              [&](std::uint32_t a, std::uint32_t b) { return keys[a].compare(keys[b]) < 0; });
    std::vector<std::uint32_t> rankOf(distinct.size());
    std::uint32_t rank = 0;
    for (std::size_t k = 0; k < byKey.size(); ++k) {
        // Texts the collator holds equal ("Anna", "anna") share a rank and keep their order.
        if (k > 0 && keys[byKey[k - 1]].compare(keys[byKey[k]]) != 0) {
            ++rank;
        }
        rankOf[byKey[k]] = rank;
    }
    ranks.resize(games.size());
    for (std::size_t i = 0; i < games.size(); ++i) {
        ranks[i] = rankOf[idOf[i]];
    }
    return ranks;
}

void GameListModel::Sort(int key) {
    const int column = key / 2;
    if (column < 0 || column >= GameListColumnCount) {
        return;
    }
    const bool ascending = key % 2 == 0;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    const std::vector<int> oldShown = shown;

    auto sortBy = [&](const auto& keys) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const auto ka = keys[std::size_t(a)], kb = keys[std::size_t(b)];
            return ascending ? ka < kb : kb < ka;
        });
    };
    switch (column) {
    case ResultColumn: {
        // "*" (the highest code) comes first in direction 0, so the key is the negated code.
        std::vector<int> keys(games.size());
        for (std::size_t i = 0; i < games.size(); ++i) {
            keys[i] = -int(games[i].result);
        }
        sortBy(keys);
        break;
    }
    case RoundColumn: {
        std::vector<long> keys(games.size());
        for (std::size_t i = 0; i < games.size(); ++i) {
            keys[i] = ReadRoundNumber(TextOf(games[i], Round));
        }
        sortBy(keys);
        break;
    }
    case WhiteColumn:
        sortBy(TextRanks(White));
        break;
    case BlackColumn:
        sortBy(TextRanks(Black));
        break;
    case EcoColumn:
        sortBy(TextRanks(Eco));
        break;
    case EventColumn:
        sortBy(TextRanks(Event));
        break;
    default: // Date and Start both sort by the date
        sortBy(TextRanks(Date));
        break;
    }
    Refilter(true);

    // Selections and the current row follow their games to the new rows.
    std::vector<int> newRowOf(games.size(), -1);
    for (int row = 0; row < int(shown.size()); ++row) {
        newRowOf[std::size_t(shown[std::size_t(row)])] = row;
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int game = oldShown[std::size_t(index.row())];
        after.push_back(this->index(newRowOf[std::size_t(game)], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GameListModel::Refilter(bool sameMatches) {
    if (!sameMatches) {
        const bool everything = foldedFilter.empty();
        for (std::size_t i = 0; i < games.size(); ++i) {
            matching[i] = char(everything || Matches(games[i]));
        }
    }
    shown.clear();
    for (int index : order) {
        if (matching[std::size_t(index)]) {
            shown.push_back(index);
        }
    }
}

void GameListModel::SetFilter(const QString& text) {
    if (text == filter) {
        return;
    }
    std::string folded;
    const QByteArray utf8 = text.toUtf8();
    AppendFolded(std::string_view(utf8.constData(), std::size_t(utf8.size())), folded);
    // A text that holds the previous one matches only games that matched before: typing one
    // more letter searches the rows left, not the whole list.
    const bool narrowing = !foldedFilter.empty() && folded.find(foldedFilter) != std::string::npos;
    filter = text;
    foldedFilter = std::move(folded);

    if (!shown.empty()) {
        beginRemoveRows(QModelIndex(), 0, int(shown.size()) - 1);
        shown.clear();
        endRemoveRows();
    }
    if (narrowing) {
        for (std::size_t i = 0; i < games.size(); ++i) {
            if (matching[i]) {
                matching[i] = char(Matches(games[i]));
            }
        }
    }
    Refilter(narrowing);
    if (shown.empty()) {
        return;
    }
    std::vector<int> rows;
    rows.swap(shown);
    beginInsertRows(QModelIndex(), 0, int(rows.size()) - 1);
    shown.swap(rows);
    endInsertRows();
}

QString GameListModel::CountText() const {
    return QStringLiteral("%1 of %2 games").arg(shown.size()).arg(games.size());
}

std::unique_ptr<GameListEntry> GameListModel::EntryAt(int row) const {
    if (row < 0 || row >= int(shown.size())) {
        return nullptr;
    }
    const Game& game = games[std::size_t(shown[std::size_t(row)])];
    auto entry = std::make_unique<GameListEntry>();
    auto text = [&](int slot) -> std::optional<std::u16string> {
        if (game.none & (1u << slot)) {
            return std::nullopt;
        }
        return platform::FromUtf8(TextOf(game, slot));
    };
    entry->SetWhite(text(White));
    entry->SetBlack(text(Black));
    entry->SetEco(text(Eco));
    entry->SetEvent(text(Event));
    entry->SetRound(text(Round));
    entry->SetDate(text(Date));
    entry->SetSite(text(Site));
    entry->firstMoves = text(Start);
    entry->result = game.result;
    entry->startOffset = decltype(entry->startOffset)(game.startOffset);
    return entry;
}

std::optional<std::uint64_t> GameListModel::StartOffsetAt(int row) const {
    if (row < 0 || row >= int(shown.size())) {
        return std::nullopt;
    }
    return games[std::size_t(shown[std::size_t(row)])].startOffset;
}

int GameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(shown.size());
}

int GameListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GameListColumnCount;
}

QString GameListModel::CellText(const GameListEntry& entry, int column) {
    switch (column) {
    case WhiteColumn:
        return Text(entry.white);
    case BlackColumn:
        return Text(entry.black);
    case ResultColumn:
        return QString::fromUtf16(entry.ResultText(true));
    case EcoColumn:
        return Text(entry.eco);
    case EventColumn:
        return Text(entry.event);
    case RoundColumn:
        return Text(entry.round);
    case DateColumn:
        return Text(entry.date);
    case StartColumn:
        return Text(entry.firstMoves);
    default:
        return {};
    }
}

QVariant GameListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(shown.size())) {
        return {};
    }
    const Game& game = games[std::size_t(shown[std::size_t(index.row())])];
    switch (index.column()) {
    case WhiteColumn:
        return Text(TextOf(game, White));
    case BlackColumn:
        return Text(TextOf(game, Black));
    case ResultColumn:
        return ResultCell(game.result);
    case EcoColumn:
        return Text(TextOf(game, Eco));
    case EventColumn:
        return Text(TextOf(game, Event));
    case RoundColumn:
        return Text(TextOf(game, Round));
    case DateColumn:
        return Text(TextOf(game, Date));
    case StartColumn:
        return Text(TextOf(game, Start));
    default:
        return {};
    }
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const headers[GameListColumnCount] = {"White", "Black", "Result", "ECO",
                                                             "Event", "Round", "Date",   "Start"};
    if (section < 0 || section >= GameListColumnCount) {
        return {};
    }
    return QString::fromLatin1(headers[section]);
}
