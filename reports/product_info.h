#pragma once
// The product's name and home page, as the generated-by lines of report exports and rate
// files name them.
namespace vantrel {

constexpr const char* kProductName = "Vantrel";
constexpr const char* kHomePageAddress = "https://www.orlix.example/vantrel/";

}  // namespace vantrel
