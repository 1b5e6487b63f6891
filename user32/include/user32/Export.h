// Marks what the user32 stand-in library exports.
#pragma once
#define USER32_API __attribute__((visibility("default")))
