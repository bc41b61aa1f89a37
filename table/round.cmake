# The round's widgets; its decisions are the model's.
if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE round.cpp deal.cpp calling.cpp hand.cpp play.cpp settlement.cpp
                 score.cpp sequencechoice.cpp clockview.cpp round.h score.h sequencechoice.h clockview.h)
endif()
