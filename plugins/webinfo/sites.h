#pragma once

#include "webframe.h"

// The sites the plug-in libraries serve, one library each.
const TWebSite &SiteA(); // a Spanish film site: movie information
const TWebSite &SiteB(); // an Italian film site: movie information
const TWebSite &SiteC(); // a German shop: posters
const TWebSite &SiteD(); // Wikidata: movie information
const TWebSite &SiteP(); // Wikidata: people
const TWebSite &SiteQ(); // Wikidata: posters
