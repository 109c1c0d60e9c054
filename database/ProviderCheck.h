#pragma once
// Finds out at start-up whether a database session can be created at all, and explains a
// missing database provider.
#include <functional>
#include <string>
#include <vector>

#include "app/Prompts.h"
#include "database/DatabaseSession.h"

namespace quillmere {

// The download pages offered when the provider is missing, in the order they are opened:
// the Access Database Engine 2010 redistributable, then 2016.
const std::vector<std::string>& ProviderDownloadPages();

// The seven paragraphs of the missing-provider question, joined by CR LF CR LF.
std::string MissingProviderText();

// True when a session can be created. A missing provider (error 3706, or a description that
// contains "provider cannot be found" in any letter case) asks whether to open the download
// pages and opens them on Yes through openAddress; every failure gives false and never raises.
bool CheckProvider(SessionFactory& sessions, Prompts& prompts,
                   const std::function<void(const std::string&)>& openAddress);

}  // namespace quillmere
