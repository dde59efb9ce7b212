int chess_placeholder;
