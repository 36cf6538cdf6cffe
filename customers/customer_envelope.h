#pragma once
// An envelope for one customer on the print canvas, laid out by the company's envelope
// settings: the return address at the left and top margins, the recipient from the
// EnvSendAddressLeft position eight lines down, in the envelope font.

#include <cstdint>
#include <span>
#include <string>

#include "common/print_canvas.h"

namespace tf::customers {

inline constexpr std::string_view kEnvelopeJobTitle = "Envelope";

// Prints the envelope; false when the job could not start or finish. The canvas is switched
// to landscape for an "L" envelope and back to portrait afterwards.
bool PrintEnvelope(common::PrintCanvas& canvas, std::span<const std::uint8_t> company,
                   std::span<const std::uint8_t> customer);

// "Envelope for " + trimmed name + " sent to printer."
std::string EnvelopeSentText(std::span<const std::uint8_t> customer);

}  // namespace tf::customers
