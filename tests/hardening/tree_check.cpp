#include "hardening/tree_check.h"

#include <cstdlib>
#include <sstream>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "chess/position.h"
#include "gametree/coup.h"
#include "pgn/infos_partie.h"
#include "pgn/parser.h"
#include "pgn/partie.h"
#include "pgn/pgn_header.h"
#include "platform/text.h"

using namespace pawnlet;

LiveCounts LiveCounts::Now() {
    return {LiveCount<Position>::Live(), LiveCount<Coup>::Live(),
            LiveCount<Partie>::Live(),   LiveCount<InfosPartie>::Live(),
            LiveCount<Parser>::Live(),   LiveCount<PGNHeader>::Live()};
}

std::string LiveCounts::Describe() const {
    std::ostringstream out;
    out << "Positions " << positions << ", Coups " << coups << ", Parties " << parties
        << ", InfosPartie " << infos << ", Parsers " << parsers << ", PGNHeaders " << headers;
    return out.str();
}

std::optional<std::string> CheckTree(const Position& root, std::size_t limit) {
    std::vector<const Position*> pending{&root};
    std::size_t seen = 0;
    while (!pending.empty()) {
        const Position* position = pending.back();
        pending.pop_back();
        if (++seen > limit) {
            return "the tree holds more positions than the walk allows";
        }
        if (!position->IsConsistent()) {
            std::ostringstream out;
            out << "inconsistent position after " << (seen - 1) << " moves of the walk";
            return out.str();
        }
        for (const Coup* move = position->firstMove.get(); move; move = move->next.get()) {
            pending.push_back(move->after.get());
        }
    }
    return std::nullopt;
}

std::size_t CountMoves(const Position& root) {
    std::vector<const Position*> pending{&root};
    std::size_t moves = 0;
    while (!pending.empty()) {
        const Position* position = pending.back();
        pending.pop_back();
        for (const Coup* move = position->firstMove.get(); move; move = move->next.get()) {
            ++moves;
            pending.push_back(move->after.get());
        }
    }
    return moves;
}

JournalHome::JournalHome() {
    if (const char* was = std::getenv("XDG_STATE_HOME")) {
        previous = was;
    }
    setenv("XDG_STATE_HOME", dir.Path().c_str(), 1);
}

JournalHome::~JournalHome() {
    if (previous) {
        setenv("XDG_STATE_HOME", previous->c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
}

std::vector<std::string> JournalHome::Journals() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(Folder(), ignored)) {
        if (entry.path().extension() == ".journal") {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

std::u16string WidePath(const std::filesystem::path& path) {
    return platform::FromUtf8(path.string());
}
