#pragma once

// A stretch of a tokenizer's text that a user registered; it moves with the
// edits made through the tokenizer, like the tokens do.
struct TextSpan {
    int start = 0;
    int end = 0; // exclusive
};
