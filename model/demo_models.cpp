// Storage of the five demo models; being globals, they are built before the entry point runs.
#include "model/demo_models.h"

Model spaceModel;
Model shipModel;
Model moduleModel;
Model terrainModel;
Model logoModel;
