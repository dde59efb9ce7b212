#include "shell/pgn_reader.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "chess.h"
#include "shell/move_text.h"

// Ratings are read from this many characters after the tag's opening quote.
constexpr int ELO_DIGITS = 4;
constexpr int FEN_MOVE_NUMBER_FIELD = 5;

namespace {

// One character per move number of an accepted game, each followed by a
// carriage return, so a terminal shows a turning bar.
constexpr char SPINNER[] = "| / - \\ | / - \\ ";
constexpr int SPINNER_LENGTH = sizeof SPINNER - 1;

constexpr const char* RESULT_WORDS[] = {"1-0", "0-1", "1/2-1/2", "*"};
// Inside a line these end a word whatever follows them.
constexpr const char* WORD_BREAKS = "{}();";

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The whole line however long, without its line feed or carriage return.
// NUL bytes, which only a damaged file holds, are dropped.
bool read_text_line(FILE* f, std::string& line) {
    line.clear();
    int c = getc(f);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = getc(f))
        if (c != '\0') line += char(c);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

const char* skip_blanks(const char* p) {
    while (is_blank(*p)) p++;
    return p;
}

// A tag pair opens with '[' and a name. "[%clk ...]" inside a comment that
// was wrapped onto a new line is not one.
bool is_tag_line(const char* line) {
    line = skip_blanks(line);
    return line[0] == '[' && is_letter(line[1]);
}

bool is_result(const char* word) {
    for (const char* r : RESULT_WORDS)
        if (strcmp(word, r) == 0) return true;
    return false;
}

// The value between the first pair of double quotes, or "" without one.
std::string quoted_value(const char* line) {
    const char* open = strchr(line, '"');
    if (!open) return "";
    const char* close = strchr(open + 1, '"');
    return close ? std::string(open + 1, close) : std::string(open + 1);
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

// Each tag line is searched for the first of these that it holds, whatever
// the tag's name: so both rating tags must reach the minimum.
void read_header_line(const char* line, const hash& settings, game_header& h) {
    if (strstr(line, "1/2-1/2")) {
        if (settings.include_draws)
            h.draw = 1;
        else
            h.accept = false;
    } else if (strstr(line, "1-0")) {
        h.white_win = 1;
    } else if (strstr(line, "0-1")) {
        h.black_win = 1;
    } else if (strstr(line, "Elo")) {
        const char* quote = strchr(line, '"');
        if (!quote) return;
        char digits[ELO_DIGITS + 1] = {};
        strncpy(digits, quote + 1, ELO_DIGITS);
        if (atoi(digits) < settings.min_elo) h.accept = false;
    }
    if (strncmp(skip_blanks(line), "[FEN ", 5) == 0) h.fen = quoted_value(line);
}

class pgn_reader {
  public:
    pgn_reader(const hash& settings, book_builder& out)
        : settings_(settings), out_(out), board_(new board), lists_(new mlist) {}

    pgn_summary read(FILE* pgn) {
        std::string line;
        while (read_text_line(pgn, line)) read_line(line.c_str());
        if (phase_ != NO_GAME) finish_game();
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

    phase_code phase_ = NO_GAME;
    game_header header_;
    bool in_comment_ = false;
    int variation_depth_ = 0;
    bool replaying_ = false;
    int move_number_ = 1;  // of the move to come, as a game score numbers it
    int numbers_seen_ = 0; // move number words read, for the spinner
    std::string word_;

    void read_line(const char* line) {
        if (is_tag_line(line)) {
            if (phase_ == MOVES) finish_game();
            if (phase_ != HEADER) start_game(HEADER);
            read_header_line(line, settings_, header_);
            return;
        }
        if (*skip_blanks(line) == '\0') return;
        // A '%' in the first column escapes the whole line.
        if (!in_comment_ && line[0] == '%') return;
        if (phase_ == HEADER) begin_moves();
        scan_movetext(line);
    }

    void start_game(phase_code phase) {
        phase_ = phase;
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
                printf("illegal position: %s\n", problem);
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

    // Comments, variations and rest-of-line comments are passed over; what is
    // left is split into words.
    void scan_movetext(const char* line) {
        for (const char* p = line; *p;) {
            const char c = *p;
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
            } else {
                const char* end = p;
                while (*end && !is_blank(*end) && !strchr(WORD_BREAKS, *end)) end++;
                word_.assign(p, end);
                if (variation_depth_ == 0) read_word(word_.c_str());
                p = end;
            }
        }
    }

    void read_word(const char* word) {
        if (word[0] == '$') return; // annotation glyph
        if (is_result(word)) {
            if (phase_ == MOVES) finish_game();
            return;
        }
        // Words after a result and before the next tag pair: a game without tags.
        if (phase_ == NO_GAME) {
            start_game(MOVES);
            begin_moves();
        }
        const char* rest = word;
        while (is_digit(*rest)) rest++;
        if (rest != word && *rest == '.') {
            count_move_number();
            while (*rest == '.') rest++;
            word = rest; // "12...Nf6" holds a move after its number
        }
        if (is_letter(word[0]) || strncmp(word, "0-0", 3) == 0) play_word(word);
    }

    void count_move_number() {
        if (header_.accept) printf("%c\r", SPINNER[numbers_seen_ % SPINNER_LENGTH]);
        numbers_seen_++;
    }

    // A move from text must be one the generator gives in this position and
    // must not leave the king attacked: the reader of move text takes long
    // forms and castling as written.
    bool make_text_move(const char* word, move* played) {
        if (!parse_san(*board_, word, played) || *played == no_move) return false;
        lists_->generate_moves(*board_, 0);
        for (int i = lists_->first[0]; i < lists_->first[1]; i++)
            if (lists_->moves[i] == *played) return board_->make_move(*played);
        return false;
    }

    void play_word(const char* word) {
        if (!replaying_) return;
        if (move_number_ > settings_.moves_deep) {
            replaying_ = false;
            return;
        }
        const uint64_t key = board_->key;
        const int mover = board_->side_to_move;
        move m;
        if (!make_text_move(word, &m)) {
            printf("illegal move: %s\n", word);
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
