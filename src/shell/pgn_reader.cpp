#include "shell/pgn_reader.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "chess.h"
#include "shell/line_reader.h"
#include "shell/move_text.h"

// Ratings are read from this many characters of the tag's value.
constexpr int ELO_DIGITS = 4;
constexpr int FEN_MOVE_NUMBER_FIELD = 5;

namespace {

// One character per move number of an accepted game, each followed by a
// carriage return, so a terminal shows a turning bar.
constexpr char SPINNER[] = "| / - \\ | / - \\ ";
constexpr int SPINNER_LENGTH = sizeof SPINNER - 1;
// The bar is written this many bytes at a time.
constexpr size_t SPINNER_BLOCK = 4096;

constexpr const char* RESULT_WORDS[] = {"1-0", "0-1", "1/2-1/2", "*"};
// The ways databases write a null move: the side to move passes.
constexpr const char* NULL_MOVE_WORDS[] = {"--", "Z0", "0000", "@@@@"};
// Written after an en passant capture by some programs; no move of its own.
constexpr const char* EN_PASSANT_MARK = "e.p.";
// Inside a line these end a word whatever follows them.
constexpr const char* WORD_BREAKS = "{}();";
// A UTF-8 byte-order mark, which some programs write before the first tag.
constexpr char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";
constexpr size_t BYTE_ORDER_MARK_LENGTH = sizeof BYTE_ORDER_MARK - 1;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A NUL is a character of the word it is in, as any other byte. Letters and
// digits, most of a game's text, are settled without a search of the breaks.
bool ends_word(char c) {
    if (is_letter(c) || is_digit(c)) return false;
    return is_blank(c) || (c != '\0' && strchr(WORD_BREAKS, c));
}

bool is_tag_name_char(char c) {
    return is_letter(c) || is_digit(c) || c == '_';
}

const char* skip_blanks(const char* p, const char* end) {
    while (p < end && is_blank(*p)) p++;
    return p;
}

// The first characters are compared first: most words start unlike any word
// of the list, and a call to compare them was a tenth of a book build.
template <size_t N> bool is_one_of(const char* word, const char* const (&list)[N]) {
    for (const char* w : list)
        if (word[0] == w[0] && strcmp(word, w) == 0) return true;
    return false;
}

// A GUI's pipe is unbuffered: one write per move number took a third of the
// time of a build, so the bar is kept and written in blocks, and before any
// other line, which keeps the output as it was.
class spinner {
  public:
    void turn(int n) {
        text_ += SPINNER[n % SPINNER_LENGTH];
        text_ += '\r';
        if (text_.size() >= SPINNER_BLOCK) flush();
    }
    void flush() {
        fwrite(text_.data(), 1, text_.size(), stdout);
        text_.clear();
    }

  private:
    std::string text_;
};

struct tag_pair {
    std::string name, value;
};

// A tag pair: '[', its name, its value as a quoted string and ']', with
// blanks between them. Inside the string a backslash escapes a quote or a
// backslash. Lenient as an import reader is: a tag without a value has an
// empty one, and one whose string is not closed on its line takes the rest
// of the line. Returns where the tag ends, or nullptr when the '[' at `p`
// opens no tag name ("[%clk ...]" of a comment wrapped onto a new line).
const char* read_tag(const char* p, const char* end, tag_pair& tag) {
    p = skip_blanks(p + 1, end);
    if (p == end || !is_letter(*p)) return nullptr;
    const char* name_end = p;
    while (name_end < end && is_tag_name_char(*name_end)) name_end++;
    tag.name.assign(p, name_end);
    tag.value.clear();
    p = skip_blanks(name_end, end);
    if (p < end && *p == '"') {
        for (p++; p < end && *p != '"'; p++) {
            if (*p == '\\' && p + 1 < end && (p[1] == '"' || p[1] == '\\')) p++;
            tag.value += *p;
        }
        if (p < end) p++; // the closing quote
    }
    while (p < end && *p != ']') p++;
    return p < end ? p + 1 : end;
}

// The move number field of a FEN, 1 when it is missing or not a number.
int fen_move_number(const std::string& fen) {
    const char* p = fen.c_str();
    for (int field = 0; field < FEN_MOVE_NUMBER_FIELD && *p; field++) {
        while (*p && *p != ' ') p++;
        while (*p == ' ') p++;
    }
    const int n = atoi(p);
    return n >= 1 ? n : 1;
}

struct game_header {
    int white_win = 0, black_win = 0, draw = 0;
    bool accept = true;
    std::string fen; // empty: the standard start position
};

// The results come from the Result tag and the ratings from the two rating
// tags, so both players must reach the minimum; other tags are not read.
void read_tag_pair(const tag_pair& tag, const hash& settings, game_header& h) {
    if (tag.name == "Result") {
        h.white_win = tag.value == "1-0";
        h.black_win = tag.value == "0-1";
        h.draw = tag.value == "1/2-1/2" && settings.include_draws;
        if (tag.value == "1/2-1/2" && !settings.include_draws) h.accept = false;
    } else if (tag.name == "WhiteElo" || tag.name == "BlackElo") {
        if (atoi(tag.value.substr(0, ELO_DIGITS).c_str()) < settings.min_elo) h.accept = false;
    } else if (tag.name == "FEN") {
        h.fen = tag.value;
    }
}

class pgn_reader {
  public:
    pgn_reader(const hash& settings, book_builder& out)
        : settings_(settings), out_(out), board_(new board), lists_(new mlist) {}

    pgn_summary read(FILE* pgn) {
        file_bytes in{pgn};
        line_reader lines;
        std::string line;
        if (lines.read_text_line(in, line)) {
            if (line.compare(0, BYTE_ORDER_MARK_LENGTH, BYTE_ORDER_MARK) == 0)
                line.erase(0, BYTE_ORDER_MARK_LENGTH);
            do {
                read_pgn_line(line);
            } while (lines.read_text_line(in, line));
        }
        if (phase_ != NO_GAME) finish_game();
        spinner_.flush();
        summary_.read_failed = ferror(pgn) != 0;
        return summary_;
    }

  private:
    enum phase_code { NO_GAME, HEADER, MOVES };

    const hash& settings_;
    book_builder& out_;
    std::unique_ptr<board> board_;
    std::unique_ptr<mlist> lists_;
    pgn_summary summary_;
    spinner spinner_;

    phase_code phase_ = NO_GAME;
    game_header header_;
    tag_pair tag_;
    bool in_comment_ = false;
    int variation_depth_ = 0;
    bool replaying_ = false;
    int move_number_ = 1;  // of the move to come, as a game score numbers it
    int numbers_seen_ = 0; // move number words read, for the spinner
    std::string word_;

    void read_pgn_line(const std::string& line) {
        // A '%' in the first column escapes the whole line.
        if (!in_comment_ && !line.empty() && line[0] == '%') return;
        scan_line(line.data(), line.data() + line.size());
    }

    void read_tag_here(const tag_pair& tag) {
        if (phase_ == MOVES) finish_game();
        if (phase_ != HEADER) start_game();
        read_tag_pair(tag, settings_, header_);
    }

    void start_game() {
        phase_ = HEADER;
        header_ = game_header();
        in_comment_ = false;
        variation_depth_ = 0;
        numbers_seen_ = 0;
    }

    void begin_moves() {
        phase_ = MOVES;
        replaying_ = header_.accept;
        move_number_ = 1;
        if (header_.fen.empty()) {
            board_->set_position(START_FEN);
        } else if (const char* problem = position_problem(header_.fen.c_str())) {
            if (replaying_) {
                report("illegal position", problem);
                summary_.broken++;
            }
            replaying_ = false;
        } else {
            board_->set_position(header_.fen.c_str());
            move_number_ = fen_move_number(header_.fen);
        }
    }

    void finish_game() {
        summary_.games++;
        if (header_.accept) summary_.accepted++;
        phase_ = NO_GAME;
    }

    // Tags, comments, variations and rest-of-line comments are read past;
    // what is left is split into words. Everything inside a comment, a '['
    // as much as a ';', is comment text.
    void scan_line(const char* p, const char* end) {
        while (p < end) {
            const char c = *p;
            const char* tag_end = nullptr;
            if (in_comment_) {
                if (c == '}') in_comment_ = false;
                p++;
            } else if (c == ';') {
                return;
            } else if (c == '{' || c == '(' || c == ')' || c == '}' || is_blank(c)) {
                if (c == '{') in_comment_ = true;
                if (c == '(') variation_depth_++;
                if (c == ')' && variation_depth_ > 0) variation_depth_--;
                p++;
            } else if (c == '[' && (tag_end = read_tag(p, end, tag_))) {
                read_tag_here(tag_);
                p = tag_end;
            } else {
                const char* word_end = p;
                while (word_end < end && !ends_word(*word_end)) word_end++;
                word_.assign(p, word_end);
                if (variation_depth_ == 0) read_word(word_.c_str());
                p = word_end;
            }
        }
    }

    void read_word(const char* word) {
        if (word[0] == '$' || strcmp(word, EN_PASSANT_MARK) == 0) return; // annotations
        const bool result = is_one_of(word, RESULT_WORDS);
        if (phase_ == NO_GAME) {
            if (result) return;
            start_game(); // words after a result and before the next tag: a game without tags
        }
        if (phase_ == HEADER) begin_moves();
        if (result) {
            finish_game();
            return;
        }
        const char* rest = word;
        while (is_digit(*rest)) rest++;
        if (rest != word && *rest == '.') {
            count_move_number();
            while (*rest == '.') rest++;
            word = rest; // "12...Nf6" holds a move after its number
        }
        if (is_letter(word[0]) || strncmp(word, "0-0", 3) == 0 || is_one_of(word, NULL_MOVE_WORDS))
            play_word(word);
    }

    void report(const char* what, const char* text) {
        spinner_.flush();
        printf("%s: %s\n", what, text);
    }

    void count_move_number() {
        if (header_.accept) spinner_.turn(numbers_seen_);
        numbers_seen_++;
    }

    // A move from text must be one the generator gives in this position and
    // must not leave the king attacked: the reader of move text takes long
    // forms and castling as written. Generating every move for every word
    // took two fifths of a build, so the others are not looked up.
    bool make_text_move(const char* word, move* played) {
        bool as_written = false;
        if (!parse_san(*board_, word, played, &as_written) || *played == no_move) return false;
        if (as_written && !is_generated(*played)) return false;
        return board_->make_move(*played);
    }

    bool is_generated(move m) {
        lists_->generate_moves(*board_, 0);
        for (int i = lists_->first[0]; i < lists_->first[1]; i++)
            if (lists_->moves[i] == m) return true;
        return false;
    }

    void play_word(const char* word) {
        if (!replaying_) return;
        if (move_number_ > settings_.moves_deep) {
            replaying_ = false;
            return;
        }
        if (is_one_of(word, NULL_MOVE_WORDS)) {
            report("null move", word);
            summary_.broken++;
            replaying_ = false;
            return;
        }
        const uint64_t key = board_->key;
        const int mover = board_->side_to_move;
        move m;
        if (!make_text_move(word, &m)) {
            report("illegal move", word);
            summary_.broken++;
            replaying_ = false;
            return;
        }
        out_.add_book_record({book_key_low(key), book_move_key(key, m.from, m.to), 1,
                              uint16_t(header_.white_win), uint16_t(header_.black_win),
                              uint16_t(header_.draw)});
        if (mover == BLACK) move_number_++;
    }
};

} // namespace

pgn_summary read_pgn_games(FILE* pgn, const hash& settings, book_builder& out) {
    pgn_reader reader(settings, out);
    return reader.read(pgn);
}
