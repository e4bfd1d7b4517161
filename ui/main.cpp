#include "ui/ranking_app.h"

// The one application object.
CRankingApp theApp;

int main(int argc, char** argv) { return theApp.Run(argc, argv); }
