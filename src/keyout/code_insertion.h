// The characters that a double-click in the key code list types into the code text: the
// cell's token, with a blank on either side where the token would otherwise touch another.
#pragma once
#include <cstddef>

// text holds length characters (its terminator need not be there); the selection runs from
// selStart to selEnd. A blank goes before the token when the selection starts after the first
// position and the character before it is not a blank, and after the token when the selection
// ends before the end of the text and the character at its end is not a blank. Positions
// outside the text count as its end. out gets at most size - 1 characters.
void BuildCodeInsertion(const char* text, int length, int selStart, int selEnd,
                        const char* token, char* out, std::size_t size);
